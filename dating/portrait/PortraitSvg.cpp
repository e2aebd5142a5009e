// The portrait as one SVG picture, written as text: two panels over one axis of calendar months,
// October 1908 to December 1927, the register's cars in each build month above and its cars per
// 10,000 built below, each from zero. October to December 1912, one production row, is one bar
// three months wide; January 1921, when nothing was built, is a hatched band, said in words too.
// The same table and name give the same bytes wherever it is drawn.
#include "RegisterPortrait.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kWidth = 960;
constexpr double kHeight = 560;
constexpr double kLeft = 72; // room for the y axes' labels
constexpr double kRight = 16;
constexpr double kPanelHeight = 170;
constexpr double kCarsTop = 84;   // the upper panel's plot area
constexpr double kRatesTop = 310; // the lower one's
constexpr int kFirstYear = 1908;
constexpr int kFirstMonth = 10;                                           // October 1908
constexpr int kSlots = (1927 - kFirstYear) * 12 + (12 - kFirstMonth) + 1; // to December 1927
constexpr double kSlot = (kWidth - kLeft - kRight) / kSlots;

QString n(double value) { return QString::number(value, 'f', 1); }

QString escaped(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"));
}

QString grouped(double value)
{
    return NumberRules::format(value, NumberRules::Mask::Grouped, NumberRules::Separators());
}

// The calendar month's place on the axis: 0 for October 1908.
int slotOf(int year, int month) { return (year - kFirstYear) * 12 + (month - kFirstMonth); }

double xOf(int slot) { return kLeft + slot * kSlot; }

// An axis from zero to a round top, in steps of 1, 2 or 5 times a power of ten.
struct Axis {
    double top;
    double step;
    int decimals;
};

Axis axisFor(double largest)
{
    if (largest <= 0)
        return {1, 0.25, 2};
    const double rough = largest / 4;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= rough)
            break;
    }
    const int decimals = std::max(0, -int(std::floor(std::log10(step) + 1e-9)));
    return {std::ceil(largest / step - 1e-9) * step, step, decimals};
}

// A panel's gridlines, its y axis's labels and its heading.
QString panelFrame(double top, const Axis& axis, const QString& heading)
{
    QString svg = QStringLiteral("<text class=\"heading\" x=\"%1\" y=\"%2\">%3</text>\n")
                      .arg(n(kLeft), n(top - 12), escaped(heading));
    for (double value = 0; value <= axis.top + axis.step / 2; value += axis.step) {
        const double y = top + kPanelHeight - value / axis.top * kPanelHeight;
        const QString label =
            axis.decimals == 0 ? grouped(value) : QString::number(value, 'f', axis.decimals);
        svg += QStringLiteral("<line class=\"grid\" x1=\"%1\" x2=\"%2\" y1=\"%3\" y2=\"%3\"/>"
                              "<text class=\"tick\" x=\"%4\" y=\"%5\">%6</text>\n")
                   .arg(n(kLeft), n(kWidth - kRight), n(y), n(kLeft - 6), n(y + 4), label);
    }
    svg += QStringLiteral("<line class=\"axis\" x1=\"%1\" x2=\"%2\" y1=\"%3\" y2=\"%3\"/>\n")
               .arg(n(kLeft), n(kWidth - kRight), n(top + kPanelHeight));
    return svg;
}

} // namespace

QByteArray RegisterPortrait::svg()
{
    const QList<Month>& all = months();
    const Counts& tally = counts();
    double mostCars = 0;
    double bestRate = 0;
    for (const Month& month : all) {
        mostCars = std::max(mostCars, double(month.cars));
        bestRate = std::max(bestRate, month.per10000());
    }
    const Axis cars = axisFor(mostCars);
    const Axis rates = axisFor(bestRate);
    const QString name = tableName_.isEmpty() ? QStringLiteral("A register") : tableName_;
    const NumberRules::Separators plain;
    const QString title =
        QStringLiteral("%1: %2 dated, %3")
            .arg(name, RegisterPortrait::counted(tally.dated, "car", "cars", plain),
                 RegisterPortrait::counted(tally.serials, "distinct serial", "distinct serials",
                                           plain));

    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %1 %2\" "
                                 "role=\"img\" aria-labelledby=\"portrait-title portrait-desc\" "
                                 "font-family=\"sans-serif\">\n"
                                 "<title id=\"portrait-title\">%3</title>\n"
                                 "<desc id=\"portrait-desc\">%4</desc>\n")
                      .arg(n(kWidth), n(kHeight), escaped(title), escaped(words(plain)));
    svg += QStringLiteral(
        "<style>\n"
        "text{fill:#1a1a1a;font-size:12px}\n"
        ".title{font-size:18px;font-weight:bold}\n"
        ".heading{font-size:14px;font-weight:bold}\n"
        ".tick{text-anchor:end;font-size:11px}\n"
        ".year{text-anchor:middle;font-size:10px}\n"
        ".grid{stroke:#d9d9d9;stroke-width:0.6}\n"
        ".axis{stroke:#1a1a1a;stroke-width:1}\n"
        ".cars{fill:#1f4e79}\n"
        ".rate{fill:#8c4a0b}\n"
        ".none{fill:url(#no-production);stroke:#595959;stroke-width:0.5}\n"
        "</style>\n"
        "<defs><pattern id=\"no-production\" width=\"4\" height=\"4\" "
        "patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
        "<rect width=\"4\" height=\"4\" fill=\"#ffffff\"/>"
        "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"4\" stroke=\"#595959\" stroke-width=\"1.5\"/>"
        "</pattern></defs>\n"
        "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n");
    svg += QStringLiteral("<text class=\"title\" x=\"%1\" y=\"30\">%2</text>\n")
               .arg(n(kLeft), escaped(title));
    svg += panelFrame(kCarsTop, cars, QStringLiteral("Cars in the register, by build month"));
    svg += panelFrame(kRatesTop, rates,
                      QStringLiteral("Cars in the register per 10,000 built that month"));

    // The years: a light line where each begins, its number under the lower panel.
    for (int year = kFirstYear; year <= 1927; ++year) {
        const int from = std::max(0, slotOf(year, 1));
        const int to = slotOf(year, 12) + 1;
        if (year > kFirstYear) {
            for (const double top : {kCarsTop, kRatesTop})
                svg += QStringLiteral(
                           "<line class=\"grid\" x1=\"%1\" x2=\"%1\" y1=\"%2\" y2=\"%3\"/>\n")
                           .arg(n(xOf(from)), n(top), n(top + kPanelHeight));
        }
        svg += QStringLiteral("<text class=\"year\" x=\"%1\" y=\"%2\">%3</text>\n")
                   .arg(n((xOf(from) + xOf(to)) / 2), n(kRatesTop + kPanelHeight + 16))
                   .arg(year);
    }

    // January 1921: no production, in both panels.
    const double gap = xOf(slotOf(1921, 1));
    for (const double top : {kCarsTop, kRatesTop})
        svg += QStringLiteral("<rect class=\"none\" x=\"%1\" y=\"%2\" width=\"%3\" "
                              "height=\"%4\"/>\n")
                   .arg(n(gap), n(top), n(kSlot), n(kPanelHeight));

    // The bars: one a month with cars in each panel, its figures in its tooltip.
    for (const Month& month : all) {
        if (month.cars == 0)
            continue;
        const bool quarter = month.row->month == DateCalculators::Month::OctDec;
        const int slot = slotOf(month.row->year, quarter ? 10 : int(month.row->month));
        const double x = xOf(slot) + 0.3;
        const double width = kSlot * (quarter ? 3 : 1) - 0.6;
        const double carsHeight = double(month.cars) / cars.top * kPanelHeight;
        const double rateHeight = month.per10000() / rates.top * kPanelHeight;
        const QString tip =
            QStringLiteral("%1 %2: %3 %4, %5 per 10,000 built")
                .arg(DateCalculators::monthText(month.row->month))
                .arg(month.row->year)
                .arg(grouped(double(month.cars)),
                     month.cars == 1 ? QStringLiteral("car") : QStringLiteral("cars"),
                     QString::number(month.per10000(), 'f', 2));
        svg += QStringLiteral("<rect class=\"cars\" x=\"%1\" y=\"%2\" width=\"%3\" "
                              "height=\"%4\"><title>%5</title></rect>\n")
                   .arg(n(x), n(kCarsTop + kPanelHeight - carsHeight), n(width), n(carsHeight),
                        escaped(tip));
        svg += QStringLiteral("<rect class=\"rate\" x=\"%1\" y=\"%2\" width=\"%3\" "
                              "height=\"%4\"/>\n")
                   .arg(n(x), n(kRatesTop + kPanelHeight - rateHeight), n(width), n(rateHeight));
    }

    svg += QStringLiteral(
               "<text x=\"%1\" y=\"%2\">Hatched: January 1921, when no car was built. "
               "October to December 1912 is one production row, drawn three months wide.</text>\n"
               "<text x=\"%1\" y=\"%3\">Each car is counted once, in the month its estimated "
               "build date falls in; the factory's output is its monthly production total."
               "</text>\n")
               .arg(n(kLeft), n(kHeight - 34), n(kHeight - 16));
    svg += QStringLiteral("</svg>\n");
    return svg.toUtf8();
}
