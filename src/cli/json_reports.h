#pragma once
// The machine-readable forms of list, details and smart: one JSON document each, built from the
// decoded structures the text reports show (never from their text). The layout is documented in
// docs/json-output.md; a change to it raises JsonFormatVersion.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/session.h"
#include "text/json_writer.h"

namespace trelvane::cli {

inline constexpr std::int64_t JsonFormatVersion = 1;

// format_version, program, version and command: the members every document starts with.
JsonValue JsonDocumentHead(const std::string& command);

// Each adds its command's members to `document` and returns the exit code; what it had to say goes
// to session.messages.
int ListJson(Session& session, JsonValue& document);
int DetailsJson(Session& session, std::int64_t driveNumber, JsonValue& document);
int SmartJson(Session& session, std::int64_t driveNumber, JsonValue& document);

// Ends `document` with the messages and prints it on standard output.
void PrintJsonDocument(JsonValue document, const std::vector<std::u16string>& messages);

}  // namespace trelvane::cli
