// The views, procedures, functions and triggers a T-SQL script creates, for
// checking definitions read from real files (and written back out) against
// the script that made them.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace brinehold::test {

// The batches (text between "GO" lines) of a script that create a view,
// procedure, function or trigger, by object name without schema; a later
// batch for the same name replaces an earlier one, as the server's copy
// does.
std::map<std::string, std::string> ModuleBatches(const std::string& script);

// The module's text trimmed, with the name in its CREATE header made bare:
// scripting tools write the header as "create proc [dbo].[name]" whatever
// the stored text says.
std::string ComparableModule(const std::string& text);

// Calls `visit` for every corpus data file that has a creation script
// creating modules, with the data file's path and the script's modules.
using ScriptedFileVisitor = std::function<void(const std::string& mdf, const std::map<std::string, std::string>& modules)>;
void ForEachScriptedCorpusFile(const ScriptedFileVisitor& visit);

}  // namespace brinehold::test
