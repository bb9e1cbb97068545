#include "model/UnitHelper.h"
#include "model/Units.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

class BenchField : public TUnitField {
public:
    explicit BenchField(std::string name) : m_Name(std::move(name)) {}
    std::string Name() const override { return m_Name; }
    int Kind() const override { return qkLength; }
    std::string Text() const override { return m_Text; }
    void SetText(const std::string& text) override { m_Text = text; }

private:
    std::string m_Name;
    std::string m_Text;
};

// A repaint converts many values through the unit choice of their field.
void BM_GetUnitIndexWithFiftyFields(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / "borvik-units-bench";
    std::filesystem::create_directories(folder);
    TUnitStore::Instance().SetPath(folder / "UNITINDEX.DAT");
    BenchField field("edField49");
    for (int i = 0; i < 50; ++i)
        SetUnitIndex(BenchField("edField" + std::to_string(i)), i % 6);
    for (auto _ : state)
        benchmark::DoNotOptimize(GetUnitIndex(field));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_GetUnitIndexWithFiftyFields);

void BM_Val2Str(benchmark::State& state) {
    double value = 0.0123456;
    for (auto _ : state)
        benchmark::DoNotOptimize(Val2Str(qkLength, 1, value));
}
BENCHMARK(BM_Val2Str);

} // namespace
