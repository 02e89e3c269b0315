// quellix.Hyphenator as the binding holds it: one of the library's hyphenators with what
// it was made from (for repr and pickling), and the breaks of a word as the Python face
// gives them (offsets in characters, a break that changes the spelling with its change).
#ifndef QUELLIX_PYTHON_HYPHENATOR_BINDING_HPP
#define QUELLIX_PYTHON_HYPHENATOR_BINDING_HPP

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"

namespace quellix::python {

namespace py = pybind11;

// One break of a word. A plain break cuts the word at `at`. A break that changes the
// spelling replaces the characters [start, start + cut) with `before` at the end of the
// line and `after` at the start of the next ("schiffahrt": start 4, cut 2, "ff", "f").
struct WordBreak {
  std::size_t at = 0;
  bool changes = false;
  std::size_t start = 0;
  std::size_t cut = 0;
  std::u32string before;
  std::u32string after;
};

// What a hyphenator is derived with, one step of a chain: other patterns, then exception
// words, then margins, each only when given.
struct Derivation {
  std::optional<std::int64_t> left;
  std::optional<std::int64_t> right;
  std::optional<std::string> exceptions;  // an exception list, one entry a line
  std::optional<std::string> patterns;    // a pattern text
};

// A break of the library's dictionary interface as the binding holds one.
WordBreak wordBreakOf(quellix::SpellingBreak b);

// Immutable and thread-safe once made.
class PyHyphenator {
 public:
  // The built-in language tagged or named tag. Raises UnknownLanguageError (through the
  // module's translator) for an unknown tag.
  explicit PyHyphenator(const std::string& tag);

  // The libhyphen dictionary whose file contents are bytes, source naming it. Raises
  // quellix.DictionaryError (through the translator) for a malformed one.
  static std::shared_ptr<PyHyphenator> fromDictionary(std::string bytes, std::string source);

  // Any hyphenator of the library, for the binding's own use: it has neither a language nor
  // a dictionary, and cannot be pickled.
  static std::shared_ptr<PyHyphenator> of(quellix::Hyphenator h);

  // This one derived with step (a new object; this one stays as it is). Raises ValueError
  // for patterns or exception words the library refuses.
  std::shared_ptr<PyHyphenator> derived(Derivation step) const;

  const quellix::Hyphenator& get() const { return *hyphenator_; }
  const std::shared_ptr<const quellix::Hyphenator>& shared() const { return hyphenator_; }
  // The built-in language, or nothing for a dictionary's hyphenator.
  std::optional<quellix::Language> language() const { return language_; }
  // The dictionary's source (its path, or the name given with its bytes), or nothing.
  const std::string* dictionary() const { return dictionary_ ? &dictionary_->source : nullptr; }
  // For a dictionary's hyphenator, all its patterns as one trie, built on first use and
  // shared by the hyphenators derived from it (see dictionary_liang.hpp); else nothing.
  const quellix::Lazy<quellix::Patterns>* allPatterns() const {
    return dictionary_ ? &dictionary_->allPatterns : nullptr;
  }
  std::int64_t left() const { return quellix::hyphenatorLeftMin(*hyphenator_); }
  std::int64_t right() const { return quellix::hyphenatorRightMin(*hyphenator_); }

  // What makes it again, for pickling: (language name, [(left, right, exceptions,
  // patterns), ...]), or for a dictionary (source, [...], the file's bytes). fromState()
  // also takes the form of quellix 0.8, (language name, left, right, exceptions). Raises
  // ValueError for anything else.
  py::tuple state() const;
  static std::shared_ptr<PyHyphenator> fromState(py::handle state);

  // Character offsets of the breaks of word, ascending. Releases the GIL while dividing.
  std::vector<std::size_t> breakOffsets(const std::u32string& word) const;

  // The breaks of word, ascending, those that change the spelling included. Releases the
  // GIL while dividing.
  std::vector<WordBreak> breaks(const std::u32string& word) const;

 private:
  PyHyphenator() = default;

  struct Dictionary {
    std::string source;
    std::shared_ptr<const std::string> bytes;  // for pickling
    quellix::Lazy<quellix::Patterns> allPatterns;
  };

  std::optional<quellix::Language> language_;
  std::optional<Dictionary> dictionary_;
  std::vector<Derivation> steps_;
  std::shared_ptr<const quellix::Hyphenator> hyphenator_;
};

// lang given as a tag (str) or as a quellix.Hyphenator; raises TypeError otherwise.
std::shared_ptr<PyHyphenator> hyphenatorFor(py::handle lang);

// Adds quellix.Hyphenator to the module.
void bindHyphenator(py::module_& m);

}  // namespace quellix::python

#endif
