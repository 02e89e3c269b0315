// quellix._quellix._PyphenFace: the compiled half of quellix.pyphen. A Pyphen object holds
// one, which divides as pyphen does: the word is looked up in small letters (str.lower())
// and the breaks applied to the word as given, a change is written in capitals when the
// whole word is, and positions are pyphen's DataInt values, a break that changes the
// spelling carrying (change, offset, cut) as its data.
#include "pyphen_binding.hpp"

#include <array>
#include <span>
#include <climits>
#include <cmath>
#include <memory>
#include <utility>

#include "binding_support.hpp"
#include "dictionary_liang.hpp"
#include "hyphenator_binding.hpp"
#include "word_breaks.hpp"

namespace quellix::python {

namespace {

class PyphenFace {
 public:
  PyphenFace(std::shared_ptr<PyHyphenator> hyphenator, std::int64_t left, std::int64_t right, py::object dataInt)
      : hyphenator_(std::move(hyphenator)), left_(left), right_(right), dataInt_(std::move(dataInt)) {
    if (hyphenator_->dictionary() == nullptr) {
      // pyphen keeps positions from left to len(word) - right: for a built-in language's
      // patterns a margin below 1 keeps what 1 keeps.
      plain_ = hyphenator_->derived(marginsOf(std::max<std::int64_t>(1, left), std::max<std::int64_t>(1, right)));
    } else if (left >= 1 && right >= 1 && !quellix::detail::dictionaryChangesSpelling(hyphenator_->get())) {
      // No change of spelling to find: the dictionary's patterns as an ordinary trie divide
      // alike, faster.
      const quellix::Hyphenator patterns(quellix::Lazy<quellix::CharNormaliser>(quellix::CharNormaliser{}),
                                         *hyphenator_->allPatterns(),
                                         quellix::Lazy<quellix::Exceptions>(quellix::Exceptions{}), left, right);
      plain_ = PyHyphenator::of(patterns);
    }
  }

  py::str inserted(py::handle word, py::handle hyphen) const {
    const py::str separator = expectStr(hyphen, "hyphen");
    if (!plain_) return insertedFromTheEnd(word, breaks(word), separator, ChangeCase::AsWord);
    const std::span<const std::size_t> at = plainBreaks(lowerCase(word));
    if (at.empty()) return py::reinterpret_borrow<py::str>(word);
    // Without changes of spelling, the word's characters with the hyphen at each break.
    const std::u32string text = codePoints(word);
    const std::u32string between = codePoints(separator);
    std::u32string out;
    out.reserve(text.size() + at.size() * between.size());
    std::size_t from = 0;
    for (const std::size_t p : at) {
      const std::size_t to = std::min(p, text.size());
      out.append(text, from, to - std::min(from, to)).append(between);
      from = std::max(from, to);
    }
    out.append(text, from);
    return strFromCodePoints(out);
  }

  std::vector<WordBreak> breaks(py::handle word) const {
    const std::u32string& lowered = lowerCase(word);
    if (plain_) return plain_->breaks(lowered);
    std::vector<WordBreak> out;
    for (const quellix::SpellingBreak& b : dictionaryBreaks(lowered)) out.push_back(wordBreakOf(b));
    return out;
  }

  py::list positions(py::handle word) const {
    const std::u32string& lowered = lowerCase(word);
    if (plain_) {
      const std::span<const std::size_t> at = plainBreaks(lowered);
      py::list out(at.size());
      for (std::size_t i = 0; i < at.size(); ++i) PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), dataInt(at[i]));
      return out;
    }
    const std::vector<quellix::SpellingBreak>& found = dictionaryBreaks(lowered);
    py::list out(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      const quellix::SpellingBreak& b = found[i];
      PyObject* position = dataInt(b.position);
      PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), position);
      if (b.replacedBegin == b.replacedEnd && b.lineEnd.empty() && b.nextStart.empty()) continue;
      const py::str change = strFromCodePoints(b.lineEnd) + py::str("=") + strFromCodePoints(b.nextStart);
      const py::tuple data = py::make_tuple(
          change, static_cast<std::int64_t>(b.replacedBegin) - static_cast<std::int64_t>(b.position),
          b.replacedEnd - b.replacedBegin);
      if (PyObject_SetAttrString(position, "data", data.ptr()) != 0) throw py::error_already_set();
    }
    return out;
  }

 private:
  // word in small letters as str.lower() gives them, as code points, in this thread's
  // buffer. ASCII needs no call into Python.
  static const std::u32string& lowerCase(py::handle word) {
    thread_local std::u32string buffer;
    PyObject* text = expectStr(word, "word").ptr();
    if (PyUnicode_IS_ASCII(text)) {
      const auto* bytes = PyUnicode_1BYTE_DATA(text);
      const auto length = static_cast<std::size_t>(PyUnicode_GET_LENGTH(text));
      buffer.resize(length);
      for (std::size_t i = 0; i < length; ++i)
        buffer[i] = bytes[i] >= 'A' && bytes[i] <= 'Z' ? char32_t(bytes[i] + ('a' - 'A')) : char32_t(bytes[i]);
      return buffer;
    }
    buffer = codePoints(py::reinterpret_borrow<py::str>(text).attr("lower")());
    return buffer;
  }

  // The breaks plain_ gives the word, in this thread's buffer. Most words have a few; the GIL
  // stays held, as releasing it would cost about what dividing a word does (pyphen holds
  // it too).
  std::span<const std::size_t> plainBreaks(const std::u32string& lowered) const {
    thread_local std::vector<std::size_t> at(64);
    std::size_t count = quellix::breakPoints(plain_->get(), lowered, at);
    if (count > at.size()) {
      at.resize(count);
      count = quellix::breakPoints(plain_->get(), lowered, at);
    }
    return {at.data(), count};
  }

  const std::vector<quellix::SpellingBreak>& dictionaryBreaks(const std::u32string& lowered) const {
    // A dictionary's patterns as pyphen applies them: Liang's method over all of them.
    thread_local std::vector<quellix::SpellingBreak> found;
    quellix::detail::breaksByAllPatterns(hyphenator_->get(), lowered, left_, right_, found);
    return found;
  }

  // int.__new__(DataInt, position): DataInt's own __new__ is Python code, ten times slower.
  PyObject* dataInt(std::size_t position) const {
    // (position,) for the positions of most words, made once (under the GIL) and kept for
    // the life of the process.
    static PyObject* arguments[64] = {};
    PyObject* args;
    py::tuple made;
    if (position < 64) {
      if (arguments[position] == nullptr) arguments[position] = py::make_tuple(position).release().ptr();
      args = arguments[position];
    } else {
      made = py::make_tuple(position);
      args = made.ptr();
    }
    PyObject* value = PyLong_Type.tp_new(reinterpret_cast<PyTypeObject*>(dataInt_.ptr()), args, nullptr);
    if (value == nullptr) throw py::error_already_set();
    return value;
  }

  static Derivation marginsOf(std::int64_t left, std::int64_t right) {
    Derivation margins;
    margins.left = left;
    margins.right = right;
    return margins;
  }

  std::shared_ptr<PyHyphenator> hyphenator_;
  // What divides when no change of spelling is to be found: the built-in language's
  // hyphenator, or the dictionary's patterns as an ordinary trie; null otherwise.
  std::shared_ptr<PyHyphenator> plain_;
  std::int64_t left_;
  std::int64_t right_;
  py::object dataInt_;  // quellix.pyphen.DataInt
};

PyphenFace& face(py::handle object) { return held<PyphenFace>(object, "_PyphenFace"); }

// pyphen compares lengths with width, so a float serves as its floor does.
std::int64_t widthOf(py::handle width) {
  if (!PyFloat_Check(width.ptr())) return expectInt(width, "width");
  const double value = PyFloat_AS_DOUBLE(width.ptr());
  if (std::isnan(value)) return INT64_MIN;
  if (value >= 9.2e18) return INT64_MAX;
  if (value <= -9.2e18) return INT64_MIN;
  return static_cast<std::int64_t>(std::floor(value));
}

const Signature kFace{"_PyphenFace", {"hyphenator", "left", "right", "data_int"}, 4, 4};

}  // namespace

void bindPyphen(py::module_& m) {
  py::class_<PyphenFace, std::shared_ptr<PyphenFace>>(m, "_PyphenFace",
                                                     "The compiled half of a quellix.pyphen.Pyphen.")
      .def(py::init([](const py::args& args, const py::kwargs& kwargs) {
        const std::vector<py::handle> a = bindArguments(kFace, args, kwargs);
        if (!PyType_Check(a[3].ptr()) || !PyType_IsSubtype(reinterpret_cast<PyTypeObject*>(a[3].ptr()), &PyLong_Type))
          raise(PyExc_TypeError, "data_int must be a subclass of int");
        return std::make_shared<PyphenFace>(hyphenatorFor(a[0]), expectInt(a[1], "left"), expectInt(a[2], "right"),
                                            py::reinterpret_borrow<py::object>(a[3]));
      }))
      .def("positions", [](py::handle object, py::handle word) { return face(object).positions(word); },
           py::arg("word"))
      .def("positions", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.positions", {"word"}, 1, 1}))
      .def("inserted",
           [](py::handle object, py::handle word, py::handle hyphen) {
             return face(object).inserted(word, hyphen);
           },
           py::arg("word"), py::arg("hyphen") = "-")
      .def("inserted", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.inserted", {"word", "hyphen"}, 2, 1}))
      .def("pairs",
           [](py::handle object, py::handle word) {
             return pairsAt(word, face(object).breaks(word), ChangeCase::AsWord);
           },
           py::arg("word"))
      .def("pairs", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.pairs", {"word"}, 1, 1}))
      .def("wrap",
           [](py::handle object, py::handle word, py::handle width, py::handle hyphen) {
             const std::vector<WordBreak> breaks = face(object).breaks(word);
             return wrapAt(word, breaks, widthOf(width), expectStr(hyphen, "hyphen"), ChangeCase::AsWord);
           },
           py::arg("word"), py::arg("width"), py::arg("hyphen") = "-")
      .def("wrap", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.wrap", {"word", "width", "hyphen"}, 3, 2}));
}

}  // namespace quellix::python
