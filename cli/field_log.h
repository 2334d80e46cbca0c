// A field log as rvxedit runs it: the core's reading of it, its problem as a line, and its rows
// as the batch's items.
#pragma once

#include <string>
#include <vector>

#include "batch.h"
#include "cli_texts.h"
#include "log_reader.h"

namespace rvxedit {

// The line that says why the log `name` cannot be used; empty when it can.
std::u16string LogProblemLine(const std::u16string& name, const rawfile::FieldLog& log,
                              const CliTexts& t);

// The batch's items for the log's rows, one a row; with `recursive`, a row that names a folder
// stands for every raw file under it. The log is taken apart as its rows become items.
// `listed`: folders listed already, kept for the check.
BatchItems LogItems(rawfile::FieldLog log, bool recursive, const CliTexts& t,
                    rawfile::FolderListings listed = {});

}  // namespace rvxedit
