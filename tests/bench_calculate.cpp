// Calculations per second through the field set and its handlers, as the window runs them.
#include "support/ScriptedHost.h"

#include "app/Identity.h"
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

} // namespace

BENCHMARK_MAIN();
