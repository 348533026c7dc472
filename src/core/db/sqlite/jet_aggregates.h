// The classic engine's aggregates that SQLite lacks, as step and final functions: First and
// Last (the value of the group's first or last row as the rows are read, Null included),
// StDev and Var of a sample, StDevP and VarP of a whole population. The statistics skip Null
// rows and give Null when too few rows remain (one row has no sample deviation).
#pragma once

#include <sqlite3.h>

namespace tessel::db::sqlite {

void JetFirstStep(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetLastStep(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetKeptValueFinal(sqlite3_context* context);

void JetStatisticsStep(sqlite3_context* context, int argc, sqlite3_value** argv);
void JetVarFinal(sqlite3_context* context);
void JetVarPFinal(sqlite3_context* context);
void JetStDevFinal(sqlite3_context* context);
void JetStDevPFinal(sqlite3_context* context);

}  // namespace tessel::db::sqlite
