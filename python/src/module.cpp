// quellix._quellix: the Python binding of the library. The pure-Python package quellix
// re-exports it; the stubs in quellix/_quellix.pyi describe it for type checkers.
//
// Words cross as code points (Python str is a code-point sequence, so positions are
// character offsets), texts as UTF-8. The GIL is released while the library divides.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quellix/custom.hpp"
#include "quellix/error.hpp"
#include "quellix/exception.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/paths.hpp"
#include "quellix/text.hpp"

namespace py = pybind11;

namespace {

// The Python exception classes, made once when the module is imported.
PyObject* errorType = nullptr;            // quellix.Error(Exception)
PyObject* unknownLanguageType = nullptr;  // quellix.UnknownLanguageError(Error, LookupError)
PyObject* dataErrorType = nullptr;        // quellix.DataError(Error)
PyObject* scoreErrorType = nullptr;       // quellix.ScoreError(Error, ValueError)

// Thrown by the binding itself for a name no language has; translated to
// UnknownLanguageError.
struct UnknownLanguage : quellix::Error {
  using quellix::Error::Error;
};

// The one place where a language tag given by a Python caller becomes a Language: the
// library's name ("English_US") or affix ("en-us") lookup.
quellix::Language resolveLanguage(const std::string& tag) {
  if (const auto language = quellix::findLanguage(tag)) return *language;
  throw UnknownLanguage("no language is named '" + tag + "'");
}

// A Python str as code points. Lone surrogates are code points too and pass through as
// characters no pattern knows.
std::u32string codePoints(const py::str& text) {
  PyObject* object = text.ptr();
  if (PyUnicode_READY(object) != 0) throw py::error_already_set();
  const Py_ssize_t length = PyUnicode_GET_LENGTH(object);
  const int kind = PyUnicode_KIND(object);
  const void* data = PyUnicode_DATA(object);
  std::u32string out(static_cast<std::size_t>(length), U'\0');
  for (Py_ssize_t i = 0; i < length; ++i)
    out[static_cast<std::size_t>(i)] = static_cast<char32_t>(PyUnicode_READ(kind, data, i));
  return out;
}

// The UTF-8 bytes of a Python str (cached inside the str by Python). Raises
// UnicodeEncodeError for lone surrogates, which UTF-8 cannot carry.
std::string_view utf8Of(const py::str& text) {
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (bytes == nullptr) throw py::error_already_set();
  return {bytes, static_cast<std::size_t>(size)};
}

py::str strFromUtf8(const std::string& bytes) {
  PyObject* object =
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape");
  if (object == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(object);
}

// One of the library's hyphenators as Python sees it: the shared hyphenator of a
// built-in language, or one with the caller's margins and exception words whose tables
// are the language's own, shared, built on first use. Immutable and thread-safe.
class PyHyphenator {
 public:
  PyHyphenator(const std::string& tag, std::optional<std::int64_t> left,
               std::optional<std::int64_t> right, std::optional<std::vector<std::u32string>> exceptions)
      : language_(resolveLanguage(tag)),
        left_(left),
        right_(right),
        exceptions_(std::move(exceptions)) {
    const quellix::Hyphenator& base = quellix::languageHyphenator(language_);
    if (!left_ && !right_ && !exceptions_) {
      hyphenator_ = std::shared_ptr<const quellix::Hyphenator>(&base, [](const quellix::Hyphenator*) {});
      return;
    }
    // Derived as the library derives any hyphenator: the caller's entries take the place of
    // the language's own for the same words, and every other table is the language's.
    quellix::Hyphenator derived = base;
    if (exceptions_) {
      std::string list;
      for (const std::u32string& entry : *exceptions_) {
        list += py::cast(entry).cast<std::string>();  // UTF-8
        list += '\n';
      }
      derived = quellix::withExceptions(derived, list, "exceptions");
    }
    if (left_ || right_) {
      derived = quellix::withMargins(derived, left_.value_or(quellix::hyphenatorLeftMin(base)),
                                     right_.value_or(quellix::hyphenatorRightMin(base)));
    }
    hyphenator_ = std::make_shared<const quellix::Hyphenator>(std::move(derived));
  }

  const quellix::Hyphenator& get() const { return *hyphenator_; }
  quellix::Language language() const { return language_; }
  std::int64_t left() const { return quellix::hyphenatorLeftMin(*hyphenator_); }
  std::int64_t right() const { return quellix::hyphenatorRightMin(*hyphenator_); }

  // The constructor's arguments, for pickling.
  py::tuple state() const {
    return py::make_tuple(std::string(quellix::languageName(language_)), left_, right_, exceptions_);
  }

  // Character offsets of the breaks of word.
  std::vector<std::size_t> breaks(const std::u32string& word) const {
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

  py::list pieces(const py::str& word) const {
    const std::vector<std::size_t> at = breaks(codePoints(word));
    const Py_ssize_t length = PyUnicode_GET_LENGTH(word.ptr());
    py::list out(at.size() + 1);
    Py_ssize_t start = 0;
    for (std::size_t i = 0; i <= at.size(); ++i) {
      const Py_ssize_t end = i < at.size() ? static_cast<Py_ssize_t>(at[i]) : length;
      PyObject* piece = PyUnicode_Substring(word.ptr(), start, end);
      if (piece == nullptr) throw py::error_already_set();
      PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), piece);
      start = end;
    }
    return out;
  }

  py::list positions(const py::str& word) const {
    const std::vector<std::size_t> at = breaks(codePoints(word));
    py::list out(at.size());
    for (std::size_t i = 0; i < at.size(); ++i)
      PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), PyLong_FromSize_t(at[i]));
    return out;
  }

  py::str inserted(const py::str& word, const py::str& hyphen) const {
    PyObject* joined = PyUnicode_Join(hyphen.ptr(), pieces(word).ptr());
    if (joined == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(joined);
  }

 private:
  quellix::Language language_;
  std::optional<std::int64_t> left_;
  std::optional<std::int64_t> right_;
  std::optional<std::vector<std::u32string>> exceptions_;
  std::shared_ptr<const quellix::Hyphenator> hyphenator_;
};

// Validates an exception entry list: each one a str without line feeds.
std::optional<std::vector<std::u32string>> exceptionEntries(const py::object& given) {
  if (given.is_none()) return std::nullopt;
  if (py::isinstance<py::str>(given))
    throw py::type_error("exceptions must be an iterable of words such as 'as-so-ciate', not a str");
  std::vector<std::u32string> entries;
  for (const py::handle item : given) {
    if (!py::isinstance<py::str>(item))
      throw py::type_error("exceptions must hold str entries such as 'as-so-ciate'");
    std::u32string entry = codePoints(py::reinterpret_borrow<py::str>(item));
    if (entry.find(U'\n') != std::u32string::npos)
      throw py::value_error("an exception entry holds a line feed; give one word per entry");
    entries.push_back(std::move(entry));
  }
  return entries;
}

quellix::TextOptions textOptions(const py::str& hyphen, std::int64_t minWordLength,
                                 bool skipSoftHyphenated, bool skipCapitals, bool skipUrls,
                                 quellix::TextMarkup markup, bool followLang) {
  if (minWordLength < 0) throw py::value_error("min_word_length must not be negative");
  quellix::TextOptions options;
  options.hyphen = std::string(utf8Of(hyphen));
  options.minWordLength = static_cast<std::size_t>(minWordLength);
  options.skipSoftHyphenated = skipSoftHyphenated;
  options.skipCapitals = skipCapitals;
  options.skipUrls = skipUrls;
  options.markup = markup;
  options.followLang = followLang;
  return options;
}

// lang given as a tag or as a Hyphenator.
std::shared_ptr<PyHyphenator> hyphenatorFor(const py::object& lang) {
  if (py::isinstance<PyHyphenator>(lang)) return lang.cast<std::shared_ptr<PyHyphenator>>();
  if (py::isinstance<py::str>(lang))
    return std::make_shared<PyHyphenator>(lang.cast<std::string>(), std::nullopt, std::nullopt,
                                          std::nullopt);
  throw py::type_error("lang must be a language tag (str) or a quellix.Hyphenator");
}

// text as str gives str; as bytes (UTF-8, other bytes kept as they are) gives bytes.
py::object hyphenateAny(const py::object& text, const py::object& lang, const py::str& hyphen,
                        std::int64_t minWordLength, bool skipSoftHyphenated, bool skipCapitals,
                        bool skipUrls, quellix::TextMarkup markup, bool followLang) {
  const bool isBytes = py::isinstance<py::bytes>(text);
  if (!isBytes && !py::isinstance<py::str>(text)) throw py::type_error("text must be str or bytes");
  const std::shared_ptr<PyHyphenator> h = hyphenatorFor(lang);
  const quellix::TextOptions options =
      textOptions(hyphen, minWordLength, skipSoftHyphenated, skipCapitals, skipUrls, markup,
                  followLang);
  std::string_view input;
  if (isBytes) {
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(text.ptr(), &data, &size) != 0) throw py::error_already_set();
    input = std::string_view(data, static_cast<std::size_t>(size));
  } else {
    input = utf8Of(py::reinterpret_borrow<py::str>(text));
  }
  std::string output;
  {
    // text keeps input alive: the caller's reference outlives this call.
    py::gil_scoped_release release;
    output = quellix::hyphenateText(h->get(), input, options);
  }
  if (isBytes) return py::bytes(output);
  return strFromUtf8(output);
}

PyObject* newException(py::module_& m, const char* name, PyObject* bases, const char* doc) {
  const std::string qualified = std::string("quellix.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
  if (type == nullptr) throw py::error_already_set();
  m.add_object(name, py::handle(type));  // the module holds the reference
  return type;
}

constexpr const char* kTextDoc = R"doc(
    Every permitted break of every word of ``text`` gets ``hyphen`` (by default U+00AD
    SOFT HYPHEN, shown by browsers and word processors only where a line breaks); every
    other character is kept, so removing the inserted hyphens gives back ``text``.

    Args:
        text: the text, as str, or as UTF-8 bytes (then bytes come back, and bytes
            that are not UTF-8 are kept as they are).
        lang: a language tag such as ``"en-us"`` or ``"German_1996"``, or a Hyphenator.
        hyphen: inserted at each break.
        min_word_length: words of fewer characters are left whole.
        skip_soft_hyphenated: leave words that already hold a soft hyphen alone.
        skip_capitals: leave words in capitals (``"NASA"``) alone.
        skip_urls: leave URLs and e-mail addresses alone.

    Raises:
        UnknownLanguageError: no language has the tag.
        DataError: the language's embedded data is damaged.
        UnicodeEncodeError: ``text`` holds a lone surrogate.

    The GIL is released while the text is divided. Thread-safe.
)doc";

}  // namespace

PYBIND11_MODULE(_quellix, m) {
  m.doc() = "quellix: word division with Liang's patterns for 73 languages (the compiled core).";

  errorType = newException(m, "Error", PyExc_Exception, "Base class of quellix's errors.");
  {
    py::tuple bases = py::make_tuple(py::handle(errorType), py::handle(PyExc_LookupError));
    unknownLanguageType = newException(m, "UnknownLanguageError", bases.ptr(),
                                       "No built-in language has the tag given.");
  }
  dataErrorType = newException(m, "DataError", errorType,
                               "A language's embedded data is missing or damaged.");
  {
    py::tuple bases = py::make_tuple(py::handle(errorType), py::handle(PyExc_ValueError));
    scoreErrorType = newException(m, "ScoreError", bases.ptr(),
                                  "A word cannot be divided with the margins given (a left "
                                  "margin of 0 or less).");
  }
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const UnknownLanguage& e) {
      PyErr_SetString(unknownLanguageType, e.what());
    } catch (const quellix::DataFileError& e) {
      PyErr_SetString(dataErrorType, e.what());
    } catch (const quellix::DecompressionError& e) {
      PyErr_SetString(dataErrorType, e.what());
    } catch (const quellix::ScoreError& e) {
      PyErr_SetString(scoreErrorType, e.what());
    } catch (const quellix::ArgumentError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const quellix::Error& e) {
      PyErr_SetString(errorType, e.what());
    }
  });

  m.attr("__version__") = quellix::showVersion(quellix::version);

  py::class_<PyHyphenator, std::shared_ptr<PyHyphenator>>(m, "Hyphenator", R"doc(
    Divides the words of one built-in language.

    Args:
        lang: the language's tag (``"en-us"``, ``"de-1996"``) or name (``"English_US"``);
            see :func:`languages`.
        left: the fewest characters before the first break; the language's own margin
            when None.
        right: the fewest characters after the last break; the language's own when None.
        exceptions: words divided as given, such as ``["as-so-ciate", "pro-ject"]``
            (letter case as the language's words are matched); they take the place of the
            language's own exception for the same word.

    Raises:
        UnknownLanguageError: no language has the tag.

    The language's tables are built from the embedded data on first use and shared by
    every Hyphenator of that language. Immutable; thread-safe; the GIL is released while
    a word is divided.
)doc")
      .def(py::init([](const std::string& lang, std::optional<std::int64_t> left,
                       std::optional<std::int64_t> right, const py::object& exceptions) {
             return std::make_shared<PyHyphenator>(lang, left, right, exceptionEntries(exceptions));
           }),
           py::arg("lang"), py::arg("left") = py::none(), py::arg("right") = py::none(),
           py::arg("exceptions") = py::none())
      .def_property_readonly(
          "language", [](const PyHyphenator& h) { return std::string(quellix::languageName(h.language())); },
          "The language's name, such as ``'English_US'``.")
      .def_property_readonly(
          "tag", [](const PyHyphenator& h) { return std::string(quellix::languageAffix(h.language())); },
          "The language's tag, such as ``'en-us'``.")
      .def_property_readonly("left", &PyHyphenator::left, "The left margin in characters.")
      .def_property_readonly("right", &PyHyphenator::right, "The right margin in characters.")
      .def("pieces", &PyHyphenator::pieces, py::arg("word"), R"doc(
    The word cut at its permitted breaks: ``["as", "so", "ciate"]``. The pieces join to
    ``word``; a word too short for the margins, or without breaks, is one piece.

    Raises:
        ScoreError: with a left margin of 0 or less, for a word the tables cannot score.
)doc")
      .def("positions", &PyHyphenator::positions, py::arg("word"), R"doc(
    The break positions of the word as character offsets, ascending: ``[2, 4]`` for
    ``"associate"``, so that ``word[:2]`` is the first piece. Raises as :meth:`pieces`.
)doc")
      .def("inserted", &PyHyphenator::inserted, py::arg("word"), py::arg("hyphen") = "-", R"doc(
    The word with ``hyphen`` at each break: ``"as-so-ciate"``. Raises as :meth:`pieces`.
)doc")
      .def("__repr__",
           [](const PyHyphenator& h) {
             return "quellix.Hyphenator('" + std::string(quellix::languageAffix(h.language())) +
                    "', left=" + std::to_string(h.left()) + ", right=" + std::to_string(h.right()) + ")";
           })
      .def(py::pickle(
          [](const PyHyphenator& h) { return h.state(); },
          [](const py::tuple& state) {
            if (state.size() != 4) throw py::value_error("not a pickled quellix.Hyphenator");
            return std::make_shared<PyHyphenator>(
                state[0].cast<std::string>(), state[1].cast<std::optional<std::int64_t>>(),
                state[2].cast<std::optional<std::int64_t>>(),
                state[3].cast<std::optional<std::vector<std::u32string>>>());
          }));

  const std::string textDoc = std::string("Hyphenates running text.\n") + kTextDoc;
  const std::string htmlDoc =
      std::string("Hyphenates the text content of HTML: tags, attributes, comments, character\n"
                  "    references and the contents of script, style, textarea, title, pre and\n"
                  "    code are kept as they are. Each element's text is divided in the language\n"
                  "    its lang (or xml:lang) attribute names, ``lang`` dividing the text no\n"
                  "    attribute covers; an attribute naming no language the library has leaves\n"
                  "    its text undivided. ``follow_lang=False``: ``lang`` divides all the text.\n") +
      kTextDoc;
  m.def(
      "hyphenate_text",
      [](const py::object& text, const py::object& lang, const py::str& hyphen, std::int64_t minWordLength,
         bool skipSoftHyphenated, bool skipCapitals, bool skipUrls) {
        return hyphenateAny(text, lang, hyphen, minWordLength, skipSoftHyphenated, skipCapitals,
                            skipUrls, quellix::TextMarkup::Plain, true);
      },
      py::arg("text"), py::arg("lang"), py::arg("hyphen") = "\u00AD", py::kw_only(),
      py::arg("min_word_length") = 5, py::arg("skip_soft_hyphenated") = true,
      py::arg("skip_capitals") = false, py::arg("skip_urls") = true, textDoc.c_str());
  m.def(
      "hyphenate_html",
      [](const py::object& text, const py::object& lang, const py::str& hyphen, std::int64_t minWordLength,
         bool skipSoftHyphenated, bool skipCapitals, bool skipUrls, bool followLang) {
        return hyphenateAny(text, lang, hyphen, minWordLength, skipSoftHyphenated, skipCapitals,
                            skipUrls, quellix::TextMarkup::Html, followLang);
      },
      py::arg("html"), py::arg("lang"), py::arg("hyphen") = "\u00AD", py::kw_only(),
      py::arg("min_word_length") = 5, py::arg("skip_soft_hyphenated") = true,
      py::arg("skip_capitals") = false, py::arg("skip_urls") = true, py::arg("follow_lang") = true,
      htmlDoc.c_str());

  m.def(
      "_languages",
      [] {
        std::vector<std::tuple<std::string, std::string, std::int64_t, std::int64_t>> out;
        for (const quellix::Language language : quellix::enumFrom(quellix::languageMinBound)) {
          const quellix::Hyphenator& h = quellix::languageHyphenator(language);
          out.emplace_back(std::string(quellix::languageName(language)),
                           std::string(quellix::languageAffix(language)),
                           quellix::hyphenatorLeftMin(h), quellix::hyphenatorRightMin(h));
        }
        return out;
      },
      "(name, tag, left, right) of every built-in language, in the library's order.");
}
