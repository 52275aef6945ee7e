// Warnings found from the finished record of what was read: entries that
// compile but whose order, extent or values the passes change in silence (a
// speed listed out of order, a tunnel that covers no cell, a signal time that
// is dropped), and the head of the train source, where a misspelt
// "[generale]" makes the whole file pass over. They never change the model.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/source_record.h"
#include "model/file_names.h"
#include "model/scenario.h"

namespace compiler {

// Looks at the fields a pass reads before "[generale]", one by one, keeping
// only what a warning needs.
class HeadScan {
 public:
  explicit HeadScan(model::FileKind file) : file_(file) {}
  void look_at(std::string_view field, const Location& at);
  // The head ended at "[generale]": a field before it that holds a keyword
  // of the source is an entry passed over.
  std::vector<Diagnostic> passed_over() const;
  // No "[generale]": the field most like it, if any.
  std::optional<Note> likest_header() const;
  // The train source without "[generale]", of which nothing is read: said at
  // the field most like the header, or at the file.
  Diagnostic missing_header() const;

 private:
  struct Field {
    std::string text;
    Location at;
  };
  model::FileKind file_;
  std::optional<Field> likest_header_;
  size_t likest_distance_ = 0;
  std::vector<Field> keywords_;  // fields holding a keyword of the source
};

// The warnings about the entries of `record` and the model, as the passes
// left them.
// `found` is what the compile reported so far: an entry at which an
// error stands is not looked at again.
std::vector<Diagnostic> entry_warnings(const SourceRecord& record, const model::Scenario& model,
                                       const std::vector<Diagnostic>& found);

}  // namespace compiler
