// The document write shared by the five writers, and the writers themselves.
#pragma once

#include <string>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"

// The bytes of a document: every entry up to the end marker, each followed by
// CR LF. A list without an end marker is written whole.
std::vector<std::uint8_t> document_bytes(const std::vector<std::string>& lines);

// Replaces the file `name` in the run's directory with the document.
step_result write_document(compile_context& ctx, const std::string& name,
                           const std::vector<std::string>& lines);

// The five writers, in the order the run calls them.
step_result dati_linea(compile_context& ctx);
step_result dati_treno(compile_context& ctx);
step_result dati_note(compile_context& ctx);
step_result dati_rallentamenti(compile_context& ctx);
step_result dati_scheda(compile_context& ctx);
