#include "import/keyset.h"

#include <cstring>
#include <stdexcept>

namespace orv::import {

namespace {

uint32_t hashOf(std::string_view key)
{
    uint32_t h = 2166136261u; // FNV-1a
    for (const char c : key) {
        h ^= uint8_t(c);
        h *= 16777619u;
    }
    return h;
}

} // namespace

std::string_view KeySet::toUtf8(const QString &key) const
{
    m_scratch = key.toUtf8();
    return {m_scratch.constData(), size_t(m_scratch.size())};
}

std::string_view KeySet::keyAt(const Slot &s) const
{
    const char *p = m_keys.constData() + s.place - 1;
    return {p, std::strlen(p)};
}

size_t KeySet::slotOf(std::string_view key, uint32_t hash) const
{
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i].place != 0 && !(m_slots[i].hash == hash && keyAt(m_slots[i]) == key))
        i = (i + 1) & mask;
    return i;
}

std::optional<int> KeySet::find(std::string_view key) const
{
    if (m_slots.empty())
        return std::nullopt;
    const Slot &s = m_slots[slotOf(key, hashOf(key))];
    return s.place ? std::optional<int>(s.value) : std::nullopt;
}

int *KeySet::value(std::string_view key)
{
    if (m_slots.empty())
        return nullptr;
    Slot &s = m_slots[slotOf(key, hashOf(key))];
    return s.place ? &s.value : nullptr;
}

int KeySet::insert(std::string_view key, int value)
{
    if (size_t(m_count + 1) * 2 > m_slots.size())
        grow();
    const uint32_t hash = hashOf(key);
    Slot &s = m_slots[slotOf(key, hash)];
    if (s.place)
        return s.value;
    if (m_keys.size() + qsizetype(key.size()) + 1 >= qsizetype(UINT32_MAX))
        throw std::length_error("key buffer");
    s.hash = hash;
    s.place = uint32_t(m_keys.size()) + 1;
    s.value = value;
    m_keys.append(key.data(), qsizetype(key.size()));
    m_keys.append('\0');
    ++m_count;
    return value;
}

void KeySet::grow()
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    const size_t mask = m_slots.size() - 1;
    for (const Slot &s : old) {
        if (!s.place)
            continue;
        size_t i = s.hash & mask;
        while (m_slots[i].place != 0)
            i = (i + 1) & mask;
        m_slots[i] = s;
    }
}

} // namespace orv::import
