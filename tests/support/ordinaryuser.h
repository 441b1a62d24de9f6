#pragma once

// A check of rights means nothing as root: root may write every file, so a
// write-protected file or folder is never refused. A test that begins with
// ORV_AS_ORDINARY_USER() runs its body as an ordinary user: directly when
// the test program is not root, else once more in a child process of the
// same program that has dropped to the user "nobody", whose result becomes
// this test's. A root that cannot drop its rights fails the test.
#define ORV_AS_ORDINARY_USER()                                                                                         \
    do {                                                                                                               \
        if (::orv::test::ranAsOrdinaryUser())                                                                          \
            return;                                                                                                    \
    } while (0)

namespace orv::test {

// True when the current test ran in a child as "nobody" (passed or failed
// there); false when its body is to run here, as an ordinary user.
bool ranAsOrdinaryUser();

} // namespace orv::test
