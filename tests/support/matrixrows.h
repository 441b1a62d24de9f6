#pragma once
#include "data/series.h"
#include "support/testenv.h"

namespace orv::test {

// A small plant for the qualification matrix, on the day kToday with 30
// days to a due training: K1 (IT, no validity) with each status; KV (12
// months) completed by four employees whose validity ends one day before
// kToday, on it, 29 and 30 days after it; the series UW of UW26 and UW27
// (12 months each), Ablauf's old cycle valid and his new one planned.
class MatrixRowsTest : public DbTest {
protected:
    static inline const QDate kToday{2027, 6, 15};

    void setUpOnDatabase() override
    {
        addKurs(u"K1"_s, u"IT"_s, u"Excel Grundlagen"_s, u"I"_s);
        addKurs(u"KV"_s, u"Umwelt-/Arbeits-/Gesundheitsschutz"_s, u"Staplerschein"_s, u"E"_s);
        addKurs(u"UW26"_s, u"Umwelt-/Arbeits-/Gesundheitsschutz"_s, u"Unterweisung 2026"_s, u"I"_s);
        addKurs(u"UW27"_s, u"Umwelt-/Arbeits-/Gesundheitsschutz"_s, u"Unterweisung 2027"_s, u"I"_s);
        data::series::setForCourse(db(), u"KV"_s, {QString(), 12});
        data::series::setForCourse(db(), u"UW26"_s, {u"UW"_s, 12});
        data::series::setForCourse(db(), u"UW27"_s, {u"UW"_s, 12});
        addMitarbeiter(u"Ablauf, Anna"_s, u"100"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
        addMitarbeiter(u"Genug, Gerd"_s, u"200"_s, u"LG"_s, u"O"_s, u"Logistik"_s);
        addMitarbeiter(u"Heute, Hans"_s, u"100"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
        addMitarbeiter(u"Knapp, Karl"_s, u"100"_s, u"AB"_s, u"I/C"_s, u"Einkauf"_s);
        addMitarbeiter(u"Ohne, Olga"_s, u"300"_s, u"VK"_s, u"O"_s, u"Werkleitung"_s);
        const QDate k1(2027, 3, 1);
        addPlan(u"K1"_s, u"Ablauf, Anna"_s, u"0"_s, k1, k1);
        addPlan(u"K1"_s, u"Heute, Hans"_s, u"1"_s, k1, k1);
        addPlan(u"K1"_s, u"Knapp, Karl"_s, u"2"_s, k1, k1);
        addPlan(u"K1"_s, u"Genug, Gerd"_s, u"3"_s, k1, k1);
        const auto completed = [this](const QString &kurs, const QString &name, const QDate &validUntil) {
            const QDate bis = validUntil.addMonths(-12);
            addPlan(kurs, name, u"2"_s, bis.addDays(-1), bis);
        };
        completed(u"KV"_s, u"Ablauf, Anna"_s, kToday.addDays(-1));
        completed(u"KV"_s, u"Heute, Hans"_s, kToday);
        completed(u"KV"_s, u"Knapp, Karl"_s, kToday.addDays(29));
        completed(u"KV"_s, u"Genug, Gerd"_s, kToday.addDays(30));
        completed(u"UW26"_s, u"Ablauf, Anna"_s, kToday.addDays(30));
        addPlan(u"UW27"_s, u"Ablauf, Anna"_s, u"1"_s, QDate(2027, 7, 1), QDate(2027, 7, 1));
        addPlan(u"UW26"_s, u"Heute, Hans"_s, u"3"_s, QDate(2026, 5, 1), QDate(2026, 5, 1));
    }
};

} // namespace orv::test
