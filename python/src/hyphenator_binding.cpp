// quellix.Hyphenator: making one, dividing words (pieces, positions, inserted, iterate,
// wrap) and pickling. Every method checks that its object holds a hyphenator, and every
// argument is checked here, so that no call can crash the interpreter or raise with a
// message that repeats a caller's argument whole.
#include "hyphenator_binding.hpp"

#include <pybind11/stl.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "binding_support.hpp"
#include "dictionary_liang.hpp"
#include "quellix/user_files.hpp"
#include "printable_message.hpp"
#include "word_breaks.hpp"
#include "quellix/custom.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/language_tag.hpp"

namespace quellix::python {

namespace {

// Thrown for a name no language has; the translator raises UnknownLanguageError.
quellix::Language resolveLanguage(const std::string& tag) {
  if (const auto language = quellix::findLanguage(tag)) return *language;
  raise(errorTypes.unknownLanguage, "no language is named '" + tag + "'");
}

// The bytes of a str as UTF-8, or of bytes as they are.
std::string textOrBytes(py::handle given) {
  if (PyBytes_Check(given.ptr()))
    return {PyBytes_AS_STRING(given.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(given.ptr()))};
  return std::string(utf8Of(given));
}

// The caller's exception words as an exception list (one entry a line): from an iterable of
// str entries, none holding a line feed, or from the bytes of a list file.
std::optional<std::string> exceptionList(py::handle given) {
  if (!given || given.is_none()) return std::nullopt;
  if (PyBytes_Check(given.ptr())) return textOrBytes(given);
  if (PyUnicode_Check(given.ptr()))
    raise(PyExc_TypeError, "exceptions must be an iterable of words such as 'as-so-ciate', not a str");
  if (!py::isinstance<py::iterable>(given))
    raise(PyExc_TypeError, "exceptions must be an iterable of words such as 'as-so-ciate', not " +
                               typeName(given));
  std::string list;
  for (const py::handle item : given) {
    if (!PyUnicode_Check(item.ptr()))
      raise(PyExc_TypeError, "exceptions must hold str entries such as 'as-so-ciate', not " + typeName(item));
    const std::string_view entry = utf8Of(item);
    if (entry.find('\n') != std::string_view::npos)
      raise(PyExc_ValueError, "an exception entry holds a line feed; give one word per entry");
    list.append(entry).push_back('\n');
  }
  return list;
}

// A derivation step from arguments as the caller gave them.
Derivation derivation(py::handle left, py::handle right, py::handle exceptions, py::handle patterns) {
  Derivation step;
  step.left = expectOptionalInt(left, "left");
  step.right = expectOptionalInt(right, "right");
  step.exceptions = exceptionList(exceptions);
  if (patterns && !patterns.is_none()) {
    if (!PyBytes_Check(patterns.ptr())) expectStr(patterns, "patterns");
    step.patterns = textOrBytes(patterns);
  }
  return step;
}

py::object optionalBytes(const std::optional<std::string>& text) {
  if (!text) return py::none();
  return py::bytes(*text);
}

const Signature kInit{"Hyphenator", {"lang", "left", "right", "exceptions", "patterns"}, 4, 1};

PyHyphenator& self(py::handle object) { return held<PyHyphenator>(object, "Hyphenator"); }

// The word argument of a method, as code points.
std::u32string wordArgument(py::handle word) { return codePoints(expectStr(word, "word")); }

py::list pieces(py::handle object, py::handle word) {
  const PyHyphenator& h = self(object);
  const std::vector<std::size_t> at = h.breakOffsets(wordArgument(word));
  const std::size_t length = static_cast<std::size_t>(PyUnicode_GET_LENGTH(word.ptr()));
  py::list out(at.size() + 1);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= at.size(); ++i) {
    const std::size_t end = i < at.size() ? at[i] : length;
    PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), substring(word, start, end).release().ptr());
    start = end;
  }
  return out;
}

py::list piecesWithChanges(py::handle object, py::handle word) {
  const PyHyphenator& h = self(object);
  if (h.dictionary() == nullptr) return pieces(object, word);
  const std::u32string text = wordArgument(word);
  std::vector<std::u32string> found;
  {
    py::gil_scoped_release release;
    found = quellix::hyphenateWithChanges(h.get(), text);
  }
  py::list out;
  for (const std::u32string& piece : found) out.append(strFromCodePoints(piece));
  return out;
}

py::list positions(py::handle object, py::handle word) {
  const std::vector<std::size_t> at = self(object).breakOffsets(wordArgument(word));
  py::list out(at.size());
  for (std::size_t i = 0; i < at.size(); ++i)
    PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), PyLong_FromSize_t(at[i]));
  return out;
}

py::str inserted(py::handle object, py::handle word, py::handle hyphen) {
  const std::vector<WordBreak> breaks = self(object).breaks(wordArgument(word));
  return insertedAt(word, breaks, expectStr(hyphen, "hyphen"), ChangeCase::AsReplaced);
}

py::list iteratePairs(py::handle object, py::handle word) {
  return pairsAt(word, self(object).breaks(wordArgument(word)), ChangeCase::AsReplaced);
}

py::object wrap(py::handle object, py::handle word, py::handle width, py::handle hyphen) {
  const std::vector<WordBreak> breaks = self(object).breaks(wordArgument(word));
  return wrapAt(word, breaks, expectInt(width, "width"), expectStr(hyphen, "hyphen"), ChangeCase::AsReplaced);
}

// The bytes of the file at path (str, bytes or os.PathLike), at most one more than the
// library takes (quellix/user_files.hpp). Raises OSError as Python's open() would, with the name cut short.
std::string readFileBytes(py::handle path, std::string& name) {
  const py::bytes encoded = py::module_::import("os").attr("fsencode")(path);
  name = std::string(encoded);
  if (name.find('\0') != std::string::npos) raise(PyExc_ValueError, "path holds a null character");
  std::FILE* file = std::fopen(name.c_str(), "rb");
  const auto osError = [&name](int error) {
    PyObject* raised = PyObject_CallFunction(PyExc_OSError, "isN", error, std::strerror(error),
                                             strFromUtf8(quellix::detail::printableMessage(name)).release().ptr());
    if (raised != nullptr) {
      PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(raised)), raised);
      Py_DECREF(raised);
    }
    throw py::error_already_set();
  };
  if (file == nullptr) osError(errno);
  std::string bytes;
  int error = 0;
  {
    py::gil_scoped_release release;
    char chunk[1 << 16];
    for (;;) {
      const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
      bytes.append(chunk, n);
      // One byte past the limit is enough for the library to refuse the file for its size.
      if (bytes.size() > quellix::kMaxFileBytes || n < sizeof chunk) break;
    }
    if (std::ferror(file)) error = errno != 0 ? errno : EIO;
    std::fclose(file);
  }
  if (error != 0) osError(error);
  return bytes;
}

// The name given in messages: the path as the file system decodes it.
std::string sourceName(const std::string& encodedPath) {
  return std::string(utf8Of(py::module_::import("os").attr("fsdecode")(py::bytes(encodedPath))));
}


// What text gives for the built-in language of the Hyphenator object; None for a dictionary's.
py::object languageText(py::handle object, std::string_view (*text)(quellix::Language)) {
  const std::optional<quellix::Language> language = self(object).language();
  if (!language) return py::none();
  return py::str(std::string(text(*language)));
}

const Signature kFromDictionary{"Hyphenator.from_dictionary", {"path"}, 1, 1};
const Signature kFromDictionaryBytes{"Hyphenator.from_dictionary_bytes", {"data", "source"}, 2, 1};

std::shared_ptr<PyHyphenator> fromDictionaryFile(const py::args& args, const py::kwargs& kwargs) {
  const std::vector<py::handle> a = bindArguments(kFromDictionary, args, kwargs);
  std::string name;
  std::string bytes = readFileBytes(a[0], name);
  return PyHyphenator::fromDictionary(std::move(bytes), sourceName(name));
}

std::shared_ptr<PyHyphenator> fromDictionaryBytes(const py::args& args, const py::kwargs& kwargs) {
  const std::vector<py::handle> a = bindArguments(kFromDictionaryBytes, args, kwargs);
  if (!PyBytes_Check(a[0].ptr())) raise(PyExc_TypeError, "data must be bytes, not " + typeName(a[0]));
  const std::string source = a[1] ? std::string(utf8Of(expectStr(a[1], "source"))) : "dictionary";
  return PyHyphenator::fromDictionary(textOrBytes(a[0]), source);
}

}  // namespace

PyHyphenator::PyHyphenator(const std::string& tag) : language_(resolveLanguage(tag)) {
  // The language's shared hyphenator, which lives as long as the library.
  hyphenator_ = std::shared_ptr<const quellix::Hyphenator>(&quellix::languageHyphenator(*language_),
                                                           [](const quellix::Hyphenator*) {});
}

std::shared_ptr<PyHyphenator> PyHyphenator::fromDictionary(std::string bytes, std::string source) {
  std::shared_ptr<PyHyphenator> h(new PyHyphenator());
  {
    py::gil_scoped_release release;
    h->hyphenator_ = std::make_shared<const quellix::Hyphenator>(quellix::readDictionary(bytes, source));
  }
  const quellix::Hyphenator read = *h->hyphenator_;
  h->dictionary_ = Dictionary{std::move(source), std::make_shared<const std::string>(std::move(bytes)),
                              quellix::Lazy<quellix::Patterns>::deferred(
                                  [read] { return quellix::detail::allDictionaryPatterns(read); })};
  return h;
}

std::shared_ptr<PyHyphenator> PyHyphenator::of(quellix::Hyphenator h) {
  std::shared_ptr<PyHyphenator> made(new PyHyphenator());
  made->hyphenator_ = std::make_shared<const quellix::Hyphenator>(std::move(h));
  return made;
}

std::shared_ptr<PyHyphenator> PyHyphenator::derived(Derivation step) const {
  // Derived as the library derives any hyphenator: each step shares every table it does
  // not replace, and the caller's exception entries take the place of earlier ones for
  // the same words.
  quellix::Hyphenator h = *hyphenator_;
  if (step.patterns) h = quellix::withPatternText(h, *step.patterns, "patterns");
  if (step.exceptions) h = quellix::withExceptions(h, *step.exceptions, "exceptions");
  if (step.left || step.right)
    h = quellix::withMargins(h, step.left.value_or(quellix::hyphenatorLeftMin(h)),
                             step.right.value_or(quellix::hyphenatorRightMin(h)));
  auto copy = std::make_shared<PyHyphenator>(*this);
  copy->steps_.push_back(std::move(step));
  copy->hyphenator_ = std::make_shared<const quellix::Hyphenator>(std::move(h));
  return copy;
}

py::tuple PyHyphenator::state() const {
  py::list steps;
  for (const Derivation& step : steps_)
    steps.append(py::make_tuple(step.left, step.right, optionalBytes(step.exceptions), optionalBytes(step.patterns)));
  if (dictionary_) return py::make_tuple(dictionary_->source, steps, py::bytes(*dictionary_->bytes));
  if (!language_) raise(PyExc_TypeError, "this hyphenator cannot be pickled");
  return py::make_tuple(std::string(quellix::languageName(*language_)), steps);
}

std::shared_ptr<PyHyphenator> PyHyphenator::fromState(py::handle state) {
  const auto fail = [] { raise(PyExc_ValueError, "not a pickled quellix.Hyphenator"); };
  if (!PyTuple_Check(state.ptr())) fail();
  const auto fields = py::reinterpret_borrow<py::tuple>(state);
  if (fields.size() == 4)  // quellix 0.8: (language name, left, right, exceptions)
    return fromState(py::make_tuple(fields[0], py::make_tuple(py::make_tuple(fields[1], fields[2], fields[3], py::none()))));
  if ((fields.size() != 2 && fields.size() != 3) || !PyUnicode_Check(fields[0].ptr()) ||
      !py::isinstance<py::sequence>(fields[1]))
    fail();
  std::shared_ptr<PyHyphenator> h;
  if (fields.size() == 3) {
    if (!PyBytes_Check(fields[2].ptr())) fail();
    h = fromDictionary(textOrBytes(fields[2]), std::string(utf8Of(fields[0])));
  } else {
    h = std::make_shared<PyHyphenator>(std::string(utf8Of(fields[0])));
  }
  for (const py::handle item : fields[1]) {
    if (!PyTuple_Check(item.ptr()) || PyTuple_GET_SIZE(item.ptr()) != 4) fail();
    const auto step = py::reinterpret_borrow<py::tuple>(item);
    h = h->derived(derivation(step[0], step[1], step[2], step[3]));
  }
  return h;
}

std::vector<std::size_t> PyHyphenator::breakOffsets(const std::u32string& word) const {
  std::array<std::size_t, 64> small{};
  std::size_t count;
  {
    py::gil_scoped_release release;
    count = quellix::breakPoints(*hyphenator_, word, small);
  }
  if (count <= small.size()) return {small.begin(), small.begin() + static_cast<std::ptrdiff_t>(count)};
  std::vector<std::size_t> all(count);
  py::gil_scoped_release release;
  (void)quellix::breakPoints(*hyphenator_, word, all);
  return all;
}

std::vector<WordBreak> PyHyphenator::breaks(const std::u32string& word) const {
  std::vector<WordBreak> out;
  if (dictionary_) {
    std::vector<quellix::SpellingBreak> found;
    {
      py::gil_scoped_release release;
      found = quellix::breaksWithChanges(*hyphenator_, word);
    }
    for (quellix::SpellingBreak& b : found) out.push_back(wordBreakOf(std::move(b)));
    return out;
  }
  for (const std::size_t at : breakOffsets(word)) {
    WordBreak plain;
    plain.at = at;
    out.push_back(std::move(plain));
  }
  return out;
}

WordBreak wordBreakOf(quellix::SpellingBreak b) {
  WordBreak one;
  one.at = b.position;
  one.changes = b.replacedBegin != b.replacedEnd || !b.lineEnd.empty() || !b.nextStart.empty();
  one.start = b.replacedBegin;
  one.cut = b.replacedEnd - b.replacedBegin;
  one.before = std::move(b.lineEnd);
  one.after = std::move(b.nextStart);
  return one;
}

std::shared_ptr<PyHyphenator> hyphenatorFor(py::handle lang) {
  if (py::isinstance<PyHyphenator>(lang)) {
    held<PyHyphenator>(lang, "Hyphenator");
    return lang.cast<std::shared_ptr<PyHyphenator>>();
  }
  if (PyUnicode_Check(lang.ptr()))
    return std::make_shared<PyHyphenator>(std::string(utf8Of(lang)));
  raise(PyExc_TypeError, "lang must be a language tag (str) or a quellix.Hyphenator, not " + typeName(lang));
}

void bindHyphenator(py::module_& m) {
  py::class_<PyHyphenator, std::shared_ptr<PyHyphenator>>(m, "Hyphenator", R"doc(Hyphenator(lang, left=None, right=None, exceptions=None, *, patterns=None)

Divides the words of one built-in language.

Args:
    lang: the language's tag (``"en-us"``, ``"de-1996"``) or name (``"English_US"``),
        see :func:`languages`; or a Hyphenator to derive this one from.
    left: the fewest characters before the first break; the language's own margin
        when None.
    right: the fewest characters after the last break; the language's own when None.
    exceptions: words divided as given, such as ``["as-so-ciate", "pro-ject"]``
        (letter case as the language's words are matched), or the bytes of an
        exception list file (UTF-8, one word a line, ``#`` or ``%`` comment lines); they
        take the place of the language's own exception for the same word.
    patterns: a pattern text as ``quellix-hyphenate --patterns`` reads one (TeX's
        patterns, such as ``"hy3ph"``), str or UTF-8 bytes, to divide with instead of
        the language's patterns.

Raises:
    UnknownLanguageError: no language has the tag.
    ValueError: patterns or exception words the library cannot read.

The language's tables are built from the embedded data on first use and shared by
every Hyphenator of that language. Immutable; thread-safe; the GIL is released while
a word is divided.
)doc")
      .def(py::init([](const py::args& args, const py::kwargs& kwargs) {
        const std::vector<py::handle> a = bindArguments(kInit, args, kwargs);
        std::shared_ptr<PyHyphenator> base = hyphenatorFor(a[0]);
        if (!a[1] && !a[2] && !a[3] && !a[4]) return base;
        return base->derived(derivation(a[1], a[2], a[3], a[4]));
      }))
      .def_property_readonly(
          "language", [](py::handle object) { return languageText(object, quellix::languageName); },
          "The built-in language's name, such as ``'English_US'``; None for a dictionary's.")
      .def_property_readonly(
          "tag", [](py::handle object) { return languageText(object, quellix::languageAffix); },
          "The built-in language's tag, such as ``'en-us'``; None for a dictionary's.")
      .def_property_readonly(
          "dictionary",
          [](py::handle object) -> py::object {
            const std::string* source = self(object).dictionary();
            if (source == nullptr) return py::none();
            return strFromUtf8(*source);
          },
          "The path of the dictionary read (or the source named with its bytes); None for a\n"
          "built-in language's hyphenator.")
      .def_property_readonly(
          "left", [](py::handle object) { return self(object).left(); }, "The left margin in characters.")
      .def_property_readonly(
          "right", [](py::handle object) { return self(object).right(); }, "The right margin in characters.")
      .def("pieces", &pieces, py::arg("word"), R"doc(pieces(word)

The word cut at its permitted breaks: ``["as", "so", "ciate"]``. The pieces join to
``word``; a word too short for the margins, or without breaks, is one piece.

Raises:
    ScoreError: with a left margin of 0 or less, for a word the tables cannot score.
)doc")
      .def("pieces", otherCalls<PyHyphenator>("Hyphenator", {"Hyphenator.pieces", {"word"}, 1, 1}))
      .def("pieces_with_changes", &piecesWithChanges, py::arg("word"), R"doc(pieces_with_changes(word)

The word cut at every break, a break that changes the spelling with its change:
``["schiff", "fahrt"]`` for ``"schiffahrt"``, ``["asz", "szony", "nyal"]`` for Hungarian
``"asszonnyal"``. For a built-in language, :meth:`pieces`. Raises as :meth:`pieces`.
)doc")
      .def("pieces_with_changes",
           otherCalls<PyHyphenator>("Hyphenator", {"Hyphenator.pieces_with_changes", {"word"}, 1, 1}))
      .def("positions", &positions, py::arg("word"), R"doc(positions(word)

The break positions of the word as character offsets, ascending: ``[2, 4]`` for
``"associate"``, so that ``word[:2]`` is the first piece. Raises as :meth:`pieces`.
)doc")
      .def("positions", otherCalls<PyHyphenator>("Hyphenator", {"Hyphenator.positions", {"word"}, 1, 1}))
      .def("inserted", &inserted, py::arg("word"), py::arg("hyphen") = "-", R"doc(inserted(word, hyphen='-')

The word with ``hyphen`` at each break: ``"as-so-ciate"``. Raises as :meth:`pieces`.
)doc")
      .def("inserted", otherCalls<PyHyphenator>("Hyphenator", {"Hyphenator.inserted", {"word", "hyphen"}, 2, 1}))
      .def("iterate", [](py::handle object, py::handle word) { return iteratePairs(object, word).attr("__iter__")(); },
           py::arg("word"), R"doc(iterate(word)

The ways to divide the word in two, from the last break to the first: an iterator of
``(first, rest)`` pairs, ``("asso", "ciate")`` then ``("as", "sociate")``. Raises as
:meth:`pieces`.
)doc")
      .def("iterate", otherCalls<PyHyphenator>("Hyphenator", {"Hyphenator.iterate", {"word"}, 1, 1}))
      .def("wrap", &wrap, py::arg("word"), py::arg("width"), py::arg("hyphen") = "-", R"doc(wrap(word, width, hyphen='-')

The longest first part of the word that fits in ``width`` characters with ``hyphen``
after it, and the rest: ``("asso-", "ciate")`` for ``wrap("associate", 5)``. None when
no break leaves a first part that short. Raises as :meth:`pieces`.
)doc")
      .def("wrap", otherCalls<PyHyphenator>("Hyphenator", {"Hyphenator.wrap", {"word", "width", "hyphen"}, 3, 2}))
      .def("__repr__",
           [](py::handle object) {
             const PyHyphenator& h = self(object);
             const std::string margins = ", left=" + std::to_string(h.left()) + ", right=" + std::to_string(h.right()) + ")";
             if (const std::string* source = h.dictionary())
               return "quellix.Hyphenator.from_dictionary('" + quellix::detail::printableMessage(*source) + "'" + margins;
             return "quellix.Hyphenator('" + std::string(quellix::languageAffix(*h.language())) + "'" + margins;
           })
      .def_static("from_dictionary", &fromDictionaryFile, R"doc(from_dictionary(path)

The hyphenator of the libhyphen dictionary (hyph_*.dic, as LibreOffice and Debian's
hyphen-* packages install in /usr/share/hyphen) at ``path`` (str, bytes or os.PathLike).
Its margins are the file's LEFTHYPHENMIN and RIGHTHYPHENMIN (2 where it gives none);
derive it for others: ``Hyphenator(h, left=3)``. Words are divided as libhyphen divides
them, capitals folded. :meth:`pieces` and :meth:`positions` give the breaks that keep the
spelling; :meth:`inserted`, :meth:`iterate` and :meth:`wrap` also those that change it
(Hungarian ``"asszonnyal"``: ``"asz-szony-nyal"``), in capitals in a word in capitals.

Raises:
    OSError: the file cannot be read (FileNotFoundError, PermissionError, ...).
    ValueError: it holds more than 8 MiB, or a line longer than 4 KiB (the library's
        limits on what callers give it).
    DictionaryError: it is malformed (the message names the file, the line and the byte
        offset).
)doc")
      .def_static("from_dictionary_bytes", &fromDictionaryBytes, R"doc(from_dictionary_bytes(data, source='dictionary')

As :meth:`from_dictionary`, for the contents of a dictionary file given as bytes;
``source`` names it in messages.

Raises:
    ValueError: beyond the limits of :meth:`from_dictionary`.
    DictionaryError: it is malformed.
)doc")
      .def(py::pickle([](py::handle object) -> py::object { return self(object).state(); },
                      [](const py::object& state) { return PyHyphenator::fromState(state); }));
}

}  // namespace quellix::python
