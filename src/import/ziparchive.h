#pragma once
#include "import/sheet.h"

#include <QIODevice>
#include <QXmlStreamReader>
#include <functional>
#include <minizip/unzip.h>

// The ZIP archive a workbook is (.xlsx and .ods alike), read part by part as
// XML while it unpacks, with the bounds that keep a hostile archive small.
namespace orv::import {

// Characters between two marks of the XML ("<" or ">") beyond which no
// spreadsheet goes: a cell of 32,767 characters, each written as a character
// reference, and some room. A longer run (one huge cell, a gigabyte of blanks)
// stops the reading there, whatever the archive says it unpacks to.
inline constexpr qint64 kMaxXmlRun = kMaxCellChars * 10 + 4096;

class Archive {
public:
    // Opens the archive after its first bytes say it is one; `kind` names the
    // format in the messages ("Excel-Arbeitsmappe (.xlsx)").
    Archive(const QString &path, const QString &kind);
    ~Archive();
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    bool has(const QString &name);
    // A small part as bytes (at most `limit`).
    QByteArray bytes(const QString &name, qint64 limit);

    // Reads a part as XML through `handle`, which gets the reader at each
    // start element. `tooLong` gives the message for a run of text beyond
    // kMaxXmlRun (where the reading stands, as the handler knows it).
    void read(const QString &name, const std::function<void(QXmlStreamReader &)> &handle,
              const std::function<QString()> &tooLong);

    // The German reason for a damaged archive, with a detail.
    QString damaged(const QString &detail) const;

private:
    void open(const QString &name);

    unzFile m_zip = nullptr;
    QString m_kind;
};

} // namespace orv::import
