#pragma once

// Every error number the program raises or reacts to, in one place. The
// numbers are the ones users and support staff know from the messages;
// only the duplicate key has a number of its own, so that code can tell a
// key another row already holds from any other failure.
namespace orv::data {

// Database: raised by the data layer, shown by the windows.
inline constexpr long ErrRowGone = -2147217864;      // 80040E38: the row no longer exists as read
inline constexpr long ErrBadValue = -2147217887;     // 80040E21: a value the column does not accept
inline constexpr long ErrDuplicateKey = -2147217873; // 80040E2F: another row already has this key
inline constexpr long ErrGeneric = -2147467259;      // 80004005: any other database failure
inline constexpr long ErrNoCurrentRow = 3021;        // no current row (before first / after last)
inline constexpr long ErrUnknownColumn = 3265;       // a column the query does not have
inline constexpr long ErrRefreshNotAllowed = 3219;   // a re-read refused in this state; ignored
inline constexpr long ErrNewerDatabase = 3343;       // the database comes from a newer version of the program

// Printing.
inline constexpr long ErrPrinter = 482;       // the printer failed
inline constexpr long ErrPrintCancel = 32755; // print dialog cancelled

} // namespace orv::data
