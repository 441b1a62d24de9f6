#include "data/valuelists.h"

namespace orv::data::lists {
namespace {

QStringList padAll(const QStringList &items, int width)
{
    QStringList out;
    out.reserve(items.size());
    for (const QString &s : items)
        out << s.leftJustified(width, QLatin1Char(' '));
    return out;
}

QStringList rubrikNames(const QString &sixth)
{
    return {QStringLiteral("Soziale Kompetenz"),
            QStringLiteral("Methodische Kompetenz"),
            QStringLiteral("Qualität"),
            QStringLiteral("IT"),
            QStringLiteral("Sprachen"),
            sixth,
            QStringLiteral("Umwelt-/Arbeits-/Gesundheitsschutz"),
            QStringLiteral("Marvek Training"),
            QStringLiteral("Antistress Programm"),
            QStringLiteral("Sonstiges")};
}

} // namespace

// Each list is made once and handed out shared: the checks of an import ask
// for them in every row.

QStringList rubrik()
{
    static const QStringList l = padAll(rubrikNames(QStringLiteral("Spezielles Fachtraining")), 40);
    return l;
}
QStringList rubrikTrainingsplan()
{
    static const QStringList l = padAll(rubrikNames(QStringLiteral("Spezielles Training")), 40);
    return l;
}

QStringList art()
{
    static const QStringList l = {QStringLiteral("A"), QStringLiteral("I"), QStringLiteral("E")};
    return l;
}

QString artLegend(const QString &a)
{
    const QString t = a.trimmed();
    if (t == QLatin1String("A"))
        return QStringLiteral("A = Intern mit externem Referent");
    if (t == QLatin1String("I"))
        return QStringLiteral("I = Intern");
    if (t == QLatin1String("E"))
        return QStringLiteral("E = Extern");
    return QString();
}

QStringList kategorie()
{
    static const QStringList l = {QStringLiteral("Ets"), QStringLiteral("I/C"), QStringLiteral("O  ")};
    return l;
}

QString kategorieLegend(const QString &k)
{
    const QString t = k.trimmed();
    if (t == QLatin1String("Ets"))
        return QStringLiteral("Ets = Redur");
    if (t == QLatin1String("I/C"))
        return QStringLiteral("I/C = Ingenieur/Cadre");
    if (t == QLatin1String("O"))
        return QStringLiteral("0   = Gewerblich");
    return QString();
}

QStringList bereichMitarbeiter()
{
    static const QStringList l = {QStringLiteral("DUV Einparkhilfe"),
                                  QStringLiteral("DUV Einzelschalter"),
                                  QStringLiteral("DUV Elektronik"),
                                  QStringLiteral("DUV Lenkstockschalter"),
                                  QStringLiteral("DUV LWS/Regensensoren"),
                                  QStringLiteral("DUV Motoren"),
                                  QStringLiteral("DUV Motormanagement Sensoren"),
                                  QStringLiteral("Controlling"),
                                  QStringLiteral("Einkauf"),
                                  QStringLiteral("Franz. Projekte"),
                                  QStringLiteral("Industrial Engineering"),
                                  QStringLiteral("Logistik"),
                                  QStringLiteral("P0 Management"),
                                  QStringLiteral("Personalwesen"),
                                  QStringLiteral("Qualitätssicherung"),
                                  QStringLiteral("Werkleitung"),
                                  QStringLiteral("Werksinstandhaltung")};
    return l;
}

QStringList bereichTrainingsplan()
{
    return {QStringLiteral("Werkleitung"),
            QStringLiteral("P0 Management"),
            QStringLiteral("Controlling"),
            QStringLiteral("Personalwesen"),
            QStringLiteral("Qualitätssicherung"),
            QStringLiteral("Einkauf"),
            QStringLiteral("Logistik"),
            QStringLiteral("Industrial Engineering"),
            QStringLiteral("Franz. Projekte"),
            QStringLiteral("DUV Einzelschalter"),
            QStringLiteral("Werksinstandhaltung"),
            QStringLiteral("DUV LWS/Regensensoren"),
            QStringLiteral("DUV Motoren"),
            QStringLiteral("DUV Motormanagement Sensoren"),
            QStringLiteral("DUV Einparkhilfe"),
            QStringLiteral("DUV Lenkstockschalter"),
            QStringLiteral("DUV Elektronik")};
}

QStringList bereichAlphabetisch()
{
    QStringList l = bereichMitarbeiter();
    // "Controlling" is the one item the employee window keeps out of alphabetical order.
    l.removeOne(QStringLiteral("Controlling"));
    l.prepend(QStringLiteral("Controlling"));
    return l;
}

QStringList prioritaet()
{
    static const QStringList l = {QStringLiteral(" "), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    return l;
}
QStringList quelle()
{
    static const QStringList l = {QStringLiteral(" "), QStringLiteral("AAI"), QStringLiteral("ORV"),
                                  QStringLiteral("ZM ")};
    return l;
}

QStringList statusCaptions()
{
    static const QStringList l = {QStringLiteral("Bedarf"), QStringLiteral("geplant"), QStringLiteral("erledigt"),
                                  QStringLiteral("keine Teilnahme")};
    return l;
}

QString statusCode(int status)
{
    static const char *codes[] = {"B", "G", "E", "K"};
    return status >= 0 && status <= 3 ? QString::fromLatin1(codes[status]) : QString();
}

QString statusLegend(int status)
{
    static const char *legends[] = {"B = Bedarf", "G = Geplant", "E = Erledigt", "K = Keine Teilnahme"};
    return status >= 0 && status <= 3 ? QString::fromLatin1(legends[status]) : QString();
}

bool containsTrimmed(const QStringList &list, const QString &text)
{
    const QString t = text.trimmed();
    for (const QString &item : list)
        if (item.trimmed() == t)
            return true;
    return false;
}

} // namespace orv::data::lists
