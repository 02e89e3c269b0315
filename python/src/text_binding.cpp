// Running text and HTML: quellix.hyphenate_text, quellix.hyphenate_html and the streaming
// quellix.TextHyphenator, with the library's text options as keywords.
#include "text_binding.hpp"

#include <pybind11/stl.h>

#include <array>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "binding_support.hpp"
#include "hyphenator_binding.hpp"
#include "kept_text_streams.hpp"
#include "quellix/language.hpp"
#include "quellix/text.hpp"
#include "utf8_decode.hpp"

namespace quellix::python {

namespace {

constexpr unsigned kMostThreads = 1024;

// A caller's is_word_character, called from the dividing threads with the GIL taken. A
// callable that raises makes every later call answer false; the first error is raised
// again when the call that divides returns.
class WordPredicate {
 public:
  explicit WordPredicate(py::object callable) : callable_(std::move(callable)) {}
  WordPredicate(const WordPredicate&) = delete;
  WordPredicate& operator=(const WordPredicate&) = delete;
  ~WordPredicate() {
    py::gil_scoped_acquire gil;
    Py_XDECREF(errorType_);
    Py_XDECREF(errorValue_);
    Py_XDECREF(errorTrace_);
  }

  bool operator()(char32_t c) {
    py::gil_scoped_acquire gil;
    if (errorType_ != nullptr) return false;
    const Py_UCS4 character = c;
    PyObject* argument = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, &character, 1);
    PyObject* result = argument == nullptr ? nullptr : PyObject_CallOneArg(callable_.ptr(), argument);
    Py_XDECREF(argument);
    const int truth = result == nullptr ? -1 : PyObject_IsTrue(result);
    Py_XDECREF(result);
    if (truth < 0) {
      PyErr_Fetch(&errorType_, &errorValue_, &errorTrace_);
      return false;
    }
    return truth == 1;
  }

  // Raises the first error the callable raised, if any, and forgets it. Needs the GIL.
  void raiseFailure() {
    if (errorType_ == nullptr) return;
    PyErr_Restore(errorType_, errorValue_, errorTrace_);
    errorType_ = errorValue_ = errorTrace_ = nullptr;
    throw py::error_already_set();
  }

 private:
  py::object callable_;
  PyObject* errorType_ = nullptr;
  PyObject* errorValue_ = nullptr;
  PyObject* errorTrace_ = nullptr;
};

// A caller's unknown_lang: the library reports the lang values that name no language on
// the calling thread, while the GIL is released; they are kept and handed to the callable
// once the call has the GIL again.
class LangReports {
 public:
  explicit LangReports(py::object callable) : callable_(std::move(callable)) {}

  // A function that keeps the values for deliver(); it must not outlive this object.
  std::function<void(std::string_view)> listener() {
    return [this](std::string_view value) { pending_.emplace_back(value); };
  }
  // Makes stream, which must not outlive this object, keep the values for deliver().
  void listen(quellix::TextHyphenator& stream) { stream.onUnknownLanguage(listener()); }

  // Calls the callable with each value kept (a str, surrogate escapes for bytes that are
  // not UTF-8); raises what it raises. Needs the GIL.
  void deliver() {
    std::vector<std::string> values;
    values.swap(pending_);
    for (const std::string& value : values) callable_(strFromUtf8(value));
  }

 private:
  py::object callable_;
  std::vector<std::string> pending_;
};

// How a text is to be divided: the hyphenator, the options and the threads.
struct TextSetup {
  std::shared_ptr<const quellix::Hyphenator> hyphenator;
  // The built-in language whose own hyphenator that is (not derived), if it is one.
  std::optional<quellix::Language> builtin;
  quellix::TextOptions options;
  unsigned threads = 1;
  std::shared_ptr<WordPredicate> predicate;
  std::shared_ptr<LangReports> reports;
};

// The keyword options every text function takes, after its text (or not), lang and hyphen.
#define QUELLIX_TEXT_OPTION_NAMES                                                           \
  "min_word_length", "skip_soft_hyphenated", "skip_capitals", "skip_urls", "left", "right", \
      "is_word_character", "threads"

const Signature kText{"hyphenate_text", {"text", "lang", "hyphen", QUELLIX_TEXT_OPTION_NAMES}, 3, 2};
const Signature kHtml{"hyphenate_html", {"html", "lang", "hyphen", QUELLIX_TEXT_OPTION_NAMES, "follow_lang", "unknown_lang"}, 3, 2};
const Signature kStream{"TextHyphenator", {"lang", "hyphen", QUELLIX_TEXT_OPTION_NAMES, "html", "follow_lang", "unknown_lang"}, 2, 1};

// The setup from bound arguments: lang at index first, hyphen after it, then the options
// in the order of signature.names.
TextSetup textSetup(const Signature& signature, const std::vector<py::handle>& a, std::size_t first,
                    quellix::TextMarkup markup) {
  TextSetup setup;
  setup.options.markup = markup;
  std::shared_ptr<PyHyphenator> h = hyphenatorFor(a[first]);
  if (const py::handle hyphen = a[first + 1]) {
    if (PyBytes_Check(hyphen.ptr()))
      setup.options.hyphen.assign(PyBytes_AS_STRING(hyphen.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(hyphen.ptr())));
    else
      setup.options.hyphen = std::string(utf8Of(expectStr(hyphen, "hyphen")));
  }
  std::optional<std::int64_t> left, right;
  const std::vector<const char*>& names = signature.names;
  for (std::size_t i = first + 2; i < names.size(); ++i) {
    const py::handle value = a[i];
    if (!value) continue;
    const std::string_view name = names[i];
    if (name == "min_word_length") {
      const std::int64_t length = expectInt(value, names[i]);
      if (length < 0) raise(PyExc_ValueError, "min_word_length must not be negative");
      setup.options.minWordLength = static_cast<std::size_t>(length);
    } else if (name == "skip_soft_hyphenated") {
      setup.options.skipSoftHyphenated = expectBool(value, names[i]);
    } else if (name == "skip_capitals") {
      setup.options.skipCapitals = expectBool(value, names[i]);
    } else if (name == "skip_urls") {
      setup.options.skipUrls = expectBool(value, names[i]);
    } else if (name == "follow_lang") {
      setup.options.followLang = expectBool(value, names[i]);
    } else if (name == "html") {
      setup.options.markup = expectBool(value, names[i]) ? quellix::TextMarkup::Html : quellix::TextMarkup::Plain;
    } else if (name == "left") {
      left = expectOptionalInt(value, names[i]);
    } else if (name == "right") {
      right = expectOptionalInt(value, names[i]);
    } else if (name == "threads") {
      const std::int64_t threads = expectInt(value, names[i]);
      if (threads < 1 || threads > kMostThreads)
        raise(PyExc_ValueError, "threads must be from 1 to " + std::to_string(kMostThreads));
      setup.threads = static_cast<unsigned>(threads);
    } else if (name == "unknown_lang" && !value.is_none()) {
      if (!PyCallable_Check(value.ptr()))
        raise(PyExc_TypeError, "unknown_lang must be callable, not " + typeName(value));
      setup.reports = std::make_shared<LangReports>(py::reinterpret_borrow<py::object>(value));
    } else if (name == "is_word_character" && !value.is_none()) {
      if (!PyCallable_Check(value.ptr()))
        raise(PyExc_TypeError, "is_word_character must be callable, not " + typeName(value));
      setup.predicate = std::make_shared<WordPredicate>(py::reinterpret_borrow<py::object>(value));
      setup.options.isWordCharacter = [predicate = setup.predicate](char32_t c) { return (*predicate)(c); };
    }
  }
  if (left || right) {
    Derivation margins;
    margins.left = left;
    margins.right = right;
    h = h->derived(std::move(margins));
  }
  setup.hyphenator = h->shared();
  if (h->language() && setup.hyphenator.get() == &quellix::languageHyphenator(*h->language()))
    setup.builtin = h->language();
  return setup;
}

// The streams kept for a built-in language's own hyphenator between hyphenate_text and
// hyphenate_html calls, as a C API handle keeps them (making a stream cost more than
// dividing a short text); null for any other hyphenator, or with is_word_character.
quellix::detail::KeptTextStreams* keptStreams(const TextSetup& setup) {
  // Never destroyed: a thread that let go of the GIL may still divide while the
  // interpreter exits.
  static auto* const kept = new std::array<quellix::detail::KeptTextStreams, quellix::languageCount>();
  if (!setup.builtin || setup.options.isWordCharacter) return nullptr;
  return &(*kept)[static_cast<std::size_t>(quellix::fromEnum(*setup.builtin))];
}

// The bytes of a text given as str (UTF-8) or bytes; raises TypeError for anything else.
std::string_view textBytes(py::handle text, const char* parameter) {
  if (PyBytes_Check(text.ptr()))
    return {PyBytes_AS_STRING(text.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(text.ptr()))};
  if (PyUnicode_Check(text.ptr())) return utf8Of(text);
  raise(PyExc_TypeError, std::string(parameter) + " must be str or bytes, not " + typeName(text));
}

py::object hyphenateWhole(const Signature& signature, quellix::TextMarkup markup, const py::args& args,
                          const py::kwargs& kwargs) {
  const std::vector<py::handle> a = bindArguments(signature, args, kwargs);
  const std::string_view input = textBytes(a[0], signature.names.front());
  const TextSetup setup = textSetup(signature, a, 1, markup);
  std::string output;
  {
    // The caller's reference to the text keeps input alive through the call.
    py::gil_scoped_release release;
    if (quellix::detail::KeptTextStreams* kept = setup.threads == 1 ? keptStreams(setup) : nullptr) {
      std::function<void(std::string_view)> report;
      if (setup.reports) report = setup.reports->listener();
      // The divided text's buffer is taken, not copied: the kept stream is what saves the
      // time here (measured: making the Python object from the kept buffer under the GIL
      // instead, to keep its capacity, was no faster).
      kept->divide(*setup.hyphenator, input, setup.options, std::move(report),
                   [&output](std::string& divided) { output.swap(divided); });
    } else if (setup.threads == 1 && !setup.reports) {
      output = quellix::hyphenateText(*setup.hyphenator, input, setup.options);
    } else {
      quellix::TextHyphenator stream(*setup.hyphenator, setup.options);
      if (setup.reports) setup.reports->listen(stream);
      stream.write(input, output, setup.threads);
      stream.finish(output);
    }
  }
  if (setup.predicate) setup.predicate->raiseFailure();
  if (setup.reports) setup.reports->deliver();
  if (PyBytes_Check(a[0].ptr())) return py::bytes(output);
  return strFromUtf8(output);
}

// How many leading bytes of text form whole UTF-8 sequences: a sequence cut off at the end
// is left for the next piece of output.
std::size_t wholeSequences(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = quellix::detail::utf8Lead(byte).length;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

// quellix.TextHyphenator: one text given in chunks.
class PyTextStream {
 public:
  explicit PyTextStream(TextSetup setup)
      : setup_(std::move(setup)), stream_(*setup_.hyphenator, setup_.options) {
    if (setup_.reports) setup_.reports->listen(stream_);
  }

  py::object write(py::handle chunk) {
    const bool isBytes = PyBytes_Check(chunk.ptr());
    const std::string_view input = textBytes(chunk, "chunk");
    std::string output;
    {
      std::unique_lock<std::mutex> lock = take();
      if (kind_ == Kind::None) kind_ = isBytes ? Kind::Bytes : Kind::Str;
      if ((kind_ == Kind::Bytes) != isBytes)
        raise(PyExc_TypeError, std::string("this text was begun as ") +
                                   (kind_ == Kind::Bytes ? "bytes" : "str") + "; give every chunk so, or call reset()");
      guarded([&] {
        py::gil_scoped_release release;
        output = std::move(carry_);
        carry_.clear();
        stream_.write(input, output, setup_.threads);
      });
      if (kind_ == Kind::Str) {
        const std::size_t whole = wholeSequences(output);
        carry_.assign(output, whole);
        output.resize(whole);
      }
    }
    return deliver(isBytes, output);
  }

  py::object finish() {
    std::string output;
    bool isBytes = false;
    {
      std::unique_lock<std::mutex> lock = take();
      isBytes = kind_ == Kind::Bytes;
      guarded([&] {
        py::gil_scoped_release release;
        output = std::move(carry_);
        carry_.clear();
        stream_.finish(output);
      });
      kind_ = Kind::None;
    }
    return deliver(isBytes, output);
  }

  void reset() {
    std::unique_lock<std::mutex> lock = take();
    forget();
  }

 private:
  enum class Kind { None, Str, Bytes };

  // The object serves one call at a time: a second thread waits, without the GIL.
  std::unique_lock<std::mutex> take() {
    std::unique_lock<std::mutex> lock(busy_, std::try_to_lock);
    if (!lock.owns_lock()) {
      py::gil_scoped_release release;
      lock.lock();
    }
    return lock;
  }

  void forget() {
    stream_.reset();
    carry_.clear();
    kind_ = Kind::None;
  }

  // Runs body; when it throws, the text held back is lost, so the stream starts afresh.
  template <class Body>
  void guarded(Body&& body) {
    try {
      body();
    } catch (...) {
      forget();
      throw;
    }
    if (setup_.predicate) {
      try {
        setup_.predicate->raiseFailure();
      } catch (...) {
        forget();
        throw;
      }
    }
    if (setup_.reports) setup_.reports->deliver();
  }

  static py::object deliver(bool isBytes, const std::string& output) {
    if (isBytes) return py::bytes(output);
    return strFromUtf8(output);
  }

  TextSetup setup_;
  quellix::TextHyphenator stream_;
  std::mutex busy_;
  Kind kind_ = Kind::None;
  std::string carry_;  // the end of a UTF-8 sequence the next output completes
};

PyTextStream& stream(py::handle object) { return held<PyTextStream>(object, "TextHyphenator"); }

constexpr const char* kOptionsDoc = R"doc(
Every permitted break of every word of the text gets ``hyphen`` (by default U+00AD
SOFT HYPHEN, shown by browsers and word processors only where a line breaks); every
other character is kept, so removing the inserted hyphens gives back the text.

Args:
    text: the text, as str, or as UTF-8 bytes (then bytes come back, and bytes
        that are not UTF-8 are kept as they are).
    lang: a language tag such as ``"en-us"`` or ``"German_1996"``, or a Hyphenator.
    hyphen: inserted at each break (str, or bytes inserted as they are).
    min_word_length: words of fewer characters are left whole (default 5).
    skip_soft_hyphenated: leave words that already hold a soft hyphen alone (default True).
    skip_capitals: leave words in capitals (``"NASA"``) alone (default False).
    skip_urls: leave URLs, e-mail addresses, paths and program identifiers alone (default True).
    left, right: the margins, the fewest characters before the first break and after
        the last (default: the hyphenator's own).
    is_word_character: a function taking a one-character str and telling whether it
        belongs to words, in place of the language's letters (default None: the language's).
        It is called with the GIL held, which makes dividing much slower.
    threads: divide on this many threads at once (default 1); the result is the same.

Raises:
    TypeError: a keyword that is none of these, or a value of the wrong type.
    UnknownLanguageError: no language has the tag.
    DataError: the language's embedded data is damaged.
    UnicodeEncodeError: the text holds a lone surrogate.

The GIL is released while the text is divided. Thread-safe.
)doc";

}  // namespace

void bindText(py::module_& m) {
  static const std::string textDoc =
      std::string("hyphenate_text(text, lang, hyphen='\\xad', *, min_word_length=5, skip_soft_hyphenated=True,\n"
                  "               skip_capitals=False, skip_urls=True, left=None, right=None,\n"
                  "               is_word_character=None, threads=1)\n\nHyphenates running text.\n") +
      kOptionsDoc;
  static const std::string htmlDoc =
      std::string("hyphenate_html(html, lang, hyphen='\\xad', *, ..., follow_lang=True, unknown_lang=None)\n\n"
                  "Hyphenates the text content of HTML: tags, attributes, comments, character\n"
                  "references and the contents of script, style, textarea, title, pre and\n"
                  "code are kept as they are. Each element's text is divided in the language\n"
                  "its lang (or xml:lang) attribute names, ``lang`` dividing the text no\n"
                  "attribute covers; an attribute naming no language the library has leaves\n"
                  "its text undivided. ``follow_lang=False``: ``lang`` divides all the text.\n"
                  "``unknown_lang``: a function called with each lang value that names no\n"
                  "language this build has, once each, after the text is divided.\n"
                  "The other keywords are hyphenate_text's.\n") +
      kOptionsDoc;
  m.def(
      "hyphenate_text",
      [](const py::args& args, const py::kwargs& kwargs) {
        return hyphenateWhole(kText, quellix::TextMarkup::Plain, args, kwargs);
      },
      textDoc.c_str());
  m.def(
      "hyphenate_html",
      [](const py::args& args, const py::kwargs& kwargs) {
        return hyphenateWhole(kHtml, quellix::TextMarkup::Html, args, kwargs);
      },
      htmlDoc.c_str());

  py::class_<PyTextStream, std::shared_ptr<PyTextStream>>(m, "TextHyphenator", R"doc(TextHyphenator(lang, hyphen='\xad', *, html=False, follow_lang=True, ...)

Hyphenates one text that arrives in chunks, as :func:`hyphenate_text` (or, with
``html=True``, :func:`hyphenate_html`) would the whole, with the same keywords. Each
:meth:`write` returns what can be decided so far and :meth:`finish` the rest, so that
memory stays bounded however long the text; the pieces joined equal the whole text
hyphenated in one call, however the text is cut. Chunks are all str or all bytes (a
bytes chunk may end inside a UTF-8 sequence).

One object serves one text at a time: a second thread's call waits for the first.
When a call raises, what was held back is lost and the object starts a new text.
)doc")
      .def(py::init([](const py::args& args, const py::kwargs& kwargs) {
        const std::vector<py::handle> a = bindArguments(kStream, args, kwargs);
        return std::make_shared<PyTextStream>(textSetup(kStream, a, 0, quellix::TextMarkup::Plain));
      }))
      .def("write", [](py::handle object, py::handle chunk) { return stream(object).write(chunk); },
           py::arg("chunk"), R"doc(write(chunk)

Takes the next chunk of the text and returns the hyphenated text that can be decided
so far (of the chunks' type: str or bytes).
)doc")
      .def("write", otherCalls<PyTextStream>("TextHyphenator", {"TextHyphenator.write", {"chunk"}, 1, 1}))
      .def("finish", [](py::handle object) { return stream(object).finish(); }, R"doc(finish()

Ends the text: returns everything still held back (str when no chunk was written), and
makes the object ready for a new text.
)doc")
      .def("reset", [](py::handle object) { stream(object).reset(); }, R"doc(reset()

Forgets everything held back and starts a new text.
)doc");
}

}  // namespace quellix::python
