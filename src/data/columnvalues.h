#pragma once
#include "data/snapshot.h"
#include "data/storedvalue.h"

#include <QString>
#include <cstdint>

// One value of a record set's column as the set holds it: shown as text,
// stored from a converted value, kept aside and put back, compared with a
// value about to be written.
namespace orv::data {

// The value of row `r` as the window shows it: fixed-width text filled with
// blanks to its width, numbers and dates in the user's format.
QString textOfValue(const ColumnStore &col, uint32_t r);

// Stores `v` in row `r` of a set of `rows` rows. `fromServer`: a single is
// held as a fresh read from the server would bring it.
void storeValue(ColumnStore &col, uint32_t r, const StoredValue &v, uint32_t rows, bool fromServer);

// One stored value as it is held, to be put back unchanged.
struct HeldValue {
    int c = 0;
    uint32_t id = TextDictionary::Null;
    double real = 0;
    int64_t integer = 0;
    bool null = false;
};
HeldValue heldValue(const ColumnStore &col, int c, uint32_t r);
void putBackValue(ColumnStore &col, uint32_t r, const HeldValue &held);

// True when the converted value is what row `r` held when it was read.
bool sameValue(const ColumnStore &col, uint32_t r, const StoredValue &v);

} // namespace orv::data
