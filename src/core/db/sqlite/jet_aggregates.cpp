#include "core/db/sqlite/jet_aggregates.h"

#include <cmath>

#include "core/db/sqlite/jet_values.h"

namespace tessel::db::sqlite {
namespace {

struct KeptValue {
    sqlite3_value* value;
    bool seen;
};

// Count, mean and sum of squared deviations, updated row by row (Welford), which keeps its
// precision where a sum of squares would lose it.
struct Statistics {
    long long count;
    double mean;
    double squares;
};

void Keep(sqlite3_context* context, sqlite3_value* value, bool replace) {
    auto* kept = static_cast<KeptValue*>(sqlite3_aggregate_context(context, sizeof(KeptValue)));
    if (kept == nullptr)
        return sqlite3_result_error_nomem(context);
    if (kept->seen && !replace)
        return;
    sqlite3_value_free(kept->value);
    kept->value = sqlite3_value_dup(value);
    kept->seen = true;
    if (kept->value == nullptr)
        sqlite3_result_error_nomem(context);
}

template <bool Sample, bool Root>
void FinishStatistics(sqlite3_context* context) {
    const auto* statistics = static_cast<Statistics*>(sqlite3_aggregate_context(context, 0));
    const long long needed = Sample ? 2 : 1;
    if (statistics == nullptr || statistics->count < needed)
        return sqlite3_result_null(context);
    const double variance =
        statistics->squares / static_cast<double>(statistics->count - (Sample ? 1 : 0));
    sqlite3_result_double(context, Root ? std::sqrt(variance) : variance);
}

}  // namespace

void JetFirstStep(sqlite3_context* context, int, sqlite3_value** argv) {
    Keep(context, argv[0], false);
}

void JetLastStep(sqlite3_context* context, int, sqlite3_value** argv) {
    Keep(context, argv[0], true);
}

void JetKeptValueFinal(sqlite3_context* context) {
    auto* kept = static_cast<KeptValue*>(sqlite3_aggregate_context(context, 0));
    if (kept == nullptr || kept->value == nullptr)
        return sqlite3_result_null(context);
    sqlite3_result_value(context, kept->value);
    sqlite3_value_free(kept->value);
    kept->value = nullptr;
}

void JetStatisticsStep(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const auto number = NumberArgument(context, argv[0]);
    if (!number)
        return;
    auto* statistics =
        static_cast<Statistics*>(sqlite3_aggregate_context(context, sizeof(Statistics)));
    if (statistics == nullptr)
        return sqlite3_result_error_nomem(context);
    ++statistics->count;
    const double delta = *number - statistics->mean;
    statistics->mean += delta / static_cast<double>(statistics->count);
    statistics->squares += delta * (*number - statistics->mean);
}

void JetVarFinal(sqlite3_context* context) {
    FinishStatistics<true, false>(context);
}

void JetVarPFinal(sqlite3_context* context) {
    FinishStatistics<false, false>(context);
}

void JetStDevFinal(sqlite3_context* context) {
    FinishStatistics<true, true>(context);
}

void JetStDevPFinal(sqlite3_context* context) {
    FinishStatistics<false, true>(context);
}

}  // namespace tessel::db::sqlite
