// The second pass of a run: the code analysis of every source file, filling a new symbol table.
#pragma once

namespace qs {

class clsVBFileTypes;
struct RunState;

/// Replaces the run's g_oSymTable by a new, empty table, then analyses the code of every source
/// item in collection order (forms, modules, user controls, property pages, classes, designers,
/// user documents). An item without a header is passed over. A module whose analysis a failure
/// cut short keeps what was recorded and leaves a warning in io_oRun.warnings, under its file as
/// the project file names it. Throws only std::bad_alloc (out of memory) and RunStopped.
void RunSecondPass(RunState& io_oRun, const clsVBFileTypes& items);

}  // namespace qs
