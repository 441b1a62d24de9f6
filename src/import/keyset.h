#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orv::import {

// Keys (UTF-8 text) with a number each, kept small for a million rows: the
// keys one after another in one buffer, an open table of their places.
class KeySet {
public:
    // Inserts `key` with `value` unless it is there; returns the value it has.
    int insert(std::string_view key, int value);
    std::optional<int> find(std::string_view key) const;
    // The number kept with `key`, to change; nullptr when the key is not there.
    int *value(std::string_view key);
    int *value(const QString &key) { return value(toUtf8(key)); }
    bool contains(std::string_view key) const { return find(key).has_value(); }
    qsizetype size() const { return m_count; }

    std::optional<int> find(const QString &key) const { return find(toUtf8(key)); }
    int insert(const QString &key, int value) { return insert(toUtf8(key), value); }
    bool contains(const QString &key) const { return find(key).has_value(); }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t place = 0; // offset + 1 into the buffer; 0: empty
        int value = 0;
    };
    std::string_view keyAt(const Slot &s) const;
    size_t slotOf(std::string_view key, uint32_t hash) const;
    void grow();
    std::string_view toUtf8(const QString &key) const;

    QByteArray m_keys; // each key followed by a zero byte
    std::vector<Slot> m_slots;
    qsizetype m_count = 0;
    mutable QByteArray m_scratch;
};

} // namespace orv::import
