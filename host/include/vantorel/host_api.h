// The host side of libVantorelApp, for the command-line host and tests: opening documents
// and describing what the modules put into them.
#pragma once

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

// Helpers for the printed forms: UTF-16 to UTF-8, lone surrogates becoming U+FFFD.
VANTOREL_API std::string PrintableUtf8(std::u16string_view text);

}  // namespace vantorel
