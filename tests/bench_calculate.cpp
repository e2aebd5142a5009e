// Calculations per second through the field set and its handlers, as the window runs them; and
// --built-on's answers, for one day and for every day.
#include "support/ScriptedHost.h"

#include "app/Identity.h"
#include "dating/DaySerials.h"
#include "ui/main/frmMain.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::vector<QString> sampleSerials()
{
    std::vector<QString> serials;
    for (quint32 s = 1; s <= 15076231; s += 7919) // spread over every year
        serials.push_back(QString::number(s));
    return serials;
}

void calculate(benchmark::State& state)
{
    ScriptedHost host;
    frmMain form(host, appIdentity(), NumberRules::Separators{});
    form.Form_Load();
    const std::vector<QString> serials = sampleSerials();
    std::size_t next = 0;
    for (auto _ : state) {
        const QString& serial = serials[next];
        next = next + 1 == serials.size() ? 0 : next + 1;
        form.userEdit(Control::txtSerial, serial, static_cast<int>(serial.size()));
        form.cmdCalculate_Click();
        host.asked.clear();
        benchmark::DoNotOptimize(form.fields().text(Control::lblDate).size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(calculate);

void typeAndNormalise(benchmark::State& state)
{
    ScriptedHost host;
    frmMain form(host, appIdentity(), NumberRules::Separators{});
    const QString keys[] = {QStringLiteral("0"),   QStringLiteral("04"),   QStringLiteral("40"),
                            QStringLiteral("400"), QStringLiteral("400."), QStringLiteral("")};
    for (auto _ : state) {
        for (const QString& text : keys)
            form.userEdit(Control::txtSerial, text, static_cast<int>(text.size()));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 6);
}
BENCHMARK(typeAndNormalise);

// One day read and answered by a finder made for it, as a command run for one day does; the day
// is one of the largest month's, December 1924.
void builtOnOneDay(benchmark::State& state)
{
    const QString input = QStringLiteral("December 15, 1924");
    for (auto _ : state) {
        DaySerialFinder finder;
        const BuiltOnAnswer answer = finder.answer(input, SlashDateOrder::MonthFirst);
        benchmark::DoNotOptimize(answer.line().size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(builtOnOneDay)->Unit(benchmark::kMillisecond);

// Every day from October 1, 1908 to December 31, 1927, each read from its text, answered and
// written as a line: --built-on over every date.
void builtOnEveryDay(benchmark::State& state)
{
    std::vector<QString> inputs;
    for (const BuildDay& day : everyBuildDay())
        inputs.push_back(buildDayText(day));
    DaySerialFinder finder;
    for (auto _ : state) {
        for (const QString& input : inputs) {
            const BuiltOnAnswer answer = finder.answer(input, SlashDateOrder::MonthFirst);
            benchmark::DoNotOptimize(answer.line().size());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * inputs.size()));
}
BENCHMARK(builtOnEveryDay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
