// The host side of libVantorelApp, for the command-line host and tests: opening documents
// and describing what the modules put into them.
#pragma once

#include <ostream>
#include <string>

#include <vantorel/app_interfaces.h>
#include <vantorel/host_export.h>
#include <vantorel/report_value.h>

namespace vantorel {

// The host's document manager (owned by the application; not released by the caller).
VANTOREL_API IVtlDocumentManager* DocumentManager();
// Opens a new, empty document at the end of the manager's list; its number (1, 2, ...).
VANTOREL_API int OpenDocument(bool acceptsImport = true);
// Number of open documents.
VANTOREL_API int DocumentCount();

struct DescribeOptions {
  // Folder of the imported map in Windows form with its trailing backslash: paths below it
  // are printed relative to it.
  std::u16string mapFolder;
};

// Every open document: its title and template, its topic tree with what is attached to
// each topic, its object table (what the modules added to it), and its relationships,
// boundaries and summaries with their ends shown as topic paths.
VANTOREL_API Value DescribeDocuments(const DescribeOptions& options);
// The same description printed to `out` (as JSON or as the indented tree) with `head`'s
// members before "documents", the text FormatJson or FormatTree gives for the whole, but
// written topic by topic: a large map's description is never held whole.
VANTOREL_API void WriteDocuments(const DescribeOptions& options, const Value& head, bool json, std::ostream& out);

// Helpers for the printed forms: UTF-16 to UTF-8, lone surrogates becoming U+FFFD.
VANTOREL_API std::string PrintableUtf8(std::u16string_view text);

}  // namespace vantorel
