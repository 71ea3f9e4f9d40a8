#pragma once

// Figures the benchmark prints: repeated measurements, each compared with a
// raw engine read taken right before it, summarised by median and spread.

#include <chrono>
#include <string>
#include <vector>

namespace bench {

double Median(std::vector<double> values);

// What the figures count: time on the clock (the default), or the
// processor time of the process (--cpu): steadier on a machine that other
// work keeps busy, as waiting for a processor is not counted.
void CountProcessorTime(bool processor);
bool CountsProcessorTime();
// Now, in milliseconds, on the clock chosen above.
double NowMs();

// Milliseconds taken by run.
template <class Run>
double TimeMs(Run&& run) {
    const double start = NowMs();
    run();
    return NowMs() - start;
}

// Pairs of (raw read, measured) taken one after the other.
struct RatioSeries {
    std::vector<double> raw;
    std::vector<double> measured;

    void Add(double rawMs, double measuredMs);
    std::vector<double> Ratios() const;
};

// Per-event times of one kind of user action.
struct EventSeries {
    std::vector<double> ms;
};

// Printing in the README's table format.
void PrintTableHead();
void PrintRatioRow(const std::string& figure, int rows, const RatioSeries& series, const std::string& target);
void PrintValueRow(const std::string& figure, int rows, double value, const std::string& unit,
                   const std::string& target, const std::string& note = "");
void PrintEventRow(const std::string& figure, int rows, const EventSeries& series, const std::string& target);

// Peak resident memory of this process so far, in MB.
double PeakResidentMb();

}  // namespace bench
