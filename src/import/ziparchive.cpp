#include "import/ziparchive.h"

#include <QFile>

namespace orv::import {

namespace {

// One part of the archive as a device the XML reader pulls from, unpacked
// piece by piece as it reads.
class ZipEntry final : public QIODevice {
public:
    explicit ZipEntry(unzFile zip) : m_zip(zip) { QIODevice::open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    bool failed() const { return m_failed; }
    bool tooLong() const { return m_tooLong; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_failed || m_tooLong)
            return -1;
        const int n = unzReadCurrentFile(m_zip, data, unsigned(qMin<qint64>(maxSize, 1 << 16)));
        if (n < 0) {
            m_failed = true;
            return -1;
        }
        for (int i = 0; i < n; ++i) {
            if (data[i] == '<' || data[i] == '>') {
                m_run = 0;
            } else if (++m_run > kMaxXmlRun) {
                m_tooLong = true;
                return -1;
            }
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_run = 0;
    bool m_failed = false, m_tooLong = false;
};

} // namespace

Archive::Archive(const QString &path, const QString &kind) : m_kind(kind)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("Die Datei kann nicht geöffnet werden: ") + f.errorString());
    const QByteArray head = f.read(8);
    // Excel keeps a workbook with a password in a container of the old format.
    if (head.startsWith("\xD0\xCF\x11\xE0"))
        throw ImportError(QStringLiteral("Die Arbeitsmappe ist verschlüsselt (mit Kennwort geschützt) oder im "
                                         "alten Excel-Format (.xls). Bitte ohne Kennwort als .xlsx speichern."));
    if (!head.startsWith("PK"))
        throw ImportError(damaged(QString()));
    m_zip = unzOpen64(QFile::encodeName(path).constData());
    if (!m_zip)
        throw ImportError(damaged(QString()));
}

Archive::~Archive() { unzClose(m_zip); }

QString Archive::damaged(const QString &detail) const
{
    const QString text = QStringLiteral("Die Datei ist beschädigt oder keine ") + m_kind + QLatin1Char('.');
    return detail.isEmpty() ? text : text + QStringLiteral(" (") + detail + QLatin1Char(')');
}

bool Archive::has(const QString &name) { return unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK; }

void Archive::open(const QString &name)
{
    if (!has(name))
        throw ImportError(damaged(QStringLiteral("Teil %1 fehlt").arg(name)));
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        throw ImportError(damaged(name));
    if (info.flag & 1)
        throw ImportError(QStringLiteral("Die Arbeitsmappe ist verschlüsselt. Bitte ohne Kennwort speichern."));
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        throw ImportError(damaged(name));
}

QByteArray Archive::bytes(const QString &name, qint64 limit)
{
    open(name);
    QByteArray out;
    char buf[4096];
    int n = 0;
    while ((n = unzReadCurrentFile(m_zip, buf, sizeof buf)) > 0 && out.size() < limit)
        out.append(buf, n);
    unzCloseCurrentFile(m_zip);
    if (n < 0)
        throw ImportError(damaged(name));
    return out.left(limit);
}

void Archive::read(const QString &name, const std::function<void(QXmlStreamReader &)> &handle,
                   const std::function<QString()> &tooLong)
{
    open(name);
    struct Close {
        unzFile zip;
        bool done = false;
        ~Close()
        {
            if (!done)
                unzCloseCurrentFile(zip);
        }
    } closer{m_zip};
    ZipEntry entry(m_zip);
    QXmlStreamReader xml(&entry);
    qint64 steps = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement)
            handle(xml);
        // Spreadsheet programs write no document type; one with entities could
        // make a cell's text from anything, or from nothing.
        else if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            throw ImportError(QStringLiteral("Die Datei enthält im Teil %1 eine Dokumenttypdefinition oder eine "
                                             "Entität. Tabellenprogramme schreiben so etwas nicht; die Datei wird "
                                             "nicht gelesen.")
                                  .arg(name));
        // A small archive may unpack to gigabytes.
        if ((++steps & 0xffff) == 0 && xml.characterOffset() > kMaxFileBytes)
            throw ImportError(QStringLiteral("Das Tabellenblatt ist größer als %1 MB.").arg(kMaxFileBytes >> 20));
    }
    if (entry.tooLong())
        throw ImportError(tooLong());
    if (entry.failed())
        throw ImportError(damaged(name));
    if (xml.hasError())
        throw ImportError(damaged(name + QStringLiteral(": ") + xml.errorString()));
    // The checksum is known only at the end.
    closer.done = true;
    if (unzCloseCurrentFile(m_zip) != UNZ_OK)
        throw ImportError(damaged(name));
}

} // namespace orv::import
