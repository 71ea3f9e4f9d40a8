#include "Stats.h"

#include <sys/resource.h>

#include <time.h>

#include <algorithm>
#include <cstdio>

namespace bench {
namespace {
bool processorTime = false;
}  // namespace

void CountProcessorTime(bool processor) { processorTime = processor; }
bool CountsProcessorTime() { return processorTime; }

double NowMs() {
    timespec now{};
    clock_gettime(processorTime ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void RatioSeries::Add(double rawMs, double measuredMs) {
    raw.push_back(rawMs);
    measured.push_back(measuredMs);
}

std::vector<double> RatioSeries::Ratios() const {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < raw.size(); ++i) ratios.push_back(measured[i] / raw[i]);
    return ratios;
}

void PrintTableHead() {
    std::printf("| figure | rows | median | spread (min-max) | target | detail |\n");
    std::printf("|---|--:|--:|--:|--:|---|\n");
    std::fflush(stdout);
}

void PrintRatioRow(const std::string& figure, int rows, const RatioSeries& series, const std::string& target) {
    const std::vector<double> ratios = series.Ratios();
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("| %s | %d | %.2fx | %.2f-%.2fx | %s | %zu runs; medians %.1f ms vs raw %.1f ms |\n", figure.c_str(),
                rows, Median(ratios), *low, *high, target.c_str(), ratios.size(), Median(series.measured),
                Median(series.raw));
    std::fflush(stdout);
}

void PrintValueRow(const std::string& figure, int rows, double value, const std::string& unit,
                   const std::string& target, const std::string& note) {
    std::printf("| %s | %d | %.1f %s | | %s | %s |\n", figure.c_str(), rows, value, unit.c_str(), target.c_str(),
                note.c_str());
    std::fflush(stdout);
}

void PrintEventRow(const std::string& figure, int rows, const EventSeries& series, const std::string& target) {
    const auto [low, high] = std::minmax_element(series.ms.begin(), series.ms.end());
    std::printf("| %s | %d | %.2f ms | %.2f-%.2f ms | %s | %zu events; the slowest %.2f ms |\n", figure.c_str(), rows,
                Median(series.ms), *low, *high, target.c_str(), series.ms.size(), *high);
    std::fflush(stdout);
}

double PeakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace bench
