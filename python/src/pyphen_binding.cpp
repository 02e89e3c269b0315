// quellix._quellix._PyphenFace: the compiled half of quellix.pyphen. A Pyphen object holds
// one, which divides as pyphen does: the word is looked up in small letters (str.lower())
// and the breaks applied to the word as given, a change is written in capitals when the
// whole word is, and positions are pyphen's DataInt values, a break that changes the
// spelling carrying (change, offset, cut) as its data.
#include "pyphen_binding.hpp"

#include <climits>
#include <cmath>
#include <memory>
#include <utility>

#include "binding_support.hpp"
#include "hyphenator_binding.hpp"
#include "word_breaks.hpp"

namespace quellix::python {

namespace {

class PyphenFace {
 public:
  PyphenFace(std::shared_ptr<PyHyphenator> hyphenator, py::object dataInt)
      : hyphenator_(std::move(hyphenator)), dataInt_(std::move(dataInt)) {}

  std::vector<WordBreak> breaks(py::handle word) const {
    const py::str lowered = expectStr(word, "word").attr("lower")();
    return hyphenator_->breaks(codePoints(lowered));
  }

  py::list positions(py::handle word) const {
    const std::vector<WordBreak> found = breaks(word);
    py::list out(found.size());
    auto* newInt = PyLong_Type.tp_new;
    for (std::size_t i = 0; i < found.size(); ++i) {
      const WordBreak& b = found[i];
      // int.__new__(DataInt, position): DataInt's own __new__ is Python code, ten times slower.
      const py::tuple value = py::make_tuple(b.at);
      PyObject* position = newInt(reinterpret_cast<PyTypeObject*>(dataInt_.ptr()), value.ptr(), nullptr);
      if (position == nullptr) throw py::error_already_set();
      PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), position);
      if (b.changes) {
        const py::str change = strFromCodePoints(b.before) + py::str("=") + strFromCodePoints(b.after);
        const py::tuple data = py::make_tuple(change, static_cast<std::int64_t>(b.start) - static_cast<std::int64_t>(b.at), b.cut);
        if (PyObject_SetAttrString(position, "data", data.ptr()) != 0) throw py::error_already_set();
      }
    }
    return out;
  }

 private:
  std::shared_ptr<PyHyphenator> hyphenator_;
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
        // pyphen keeps positions from left to len(word) - right: a margin below 1 keeps
        // what 1 keeps, since no break lies before the first character or after the last.
        Derivation margins;
        margins.left = std::max<std::int64_t>(1, expectInt(a[1], "left"));
        margins.right = std::max<std::int64_t>(1, expectInt(a[2], "right"));
        if (!PyType_Check(a[3].ptr()) || !PyType_IsSubtype(reinterpret_cast<PyTypeObject*>(a[3].ptr()), &PyLong_Type))
          raise(PyExc_TypeError, "data_int must be a subclass of int");
        return std::make_shared<PyphenFace>(hyphenatorFor(a[0])->derived(std::move(margins)),
                                            py::reinterpret_borrow<py::object>(a[3]));
      }))
      .def("positions", [](py::handle object, py::handle word) { return face(object).positions(word); })
      .def("positions", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.positions", {"word"}, 1, 1}))
      .def("inserted",
           [](py::handle object, py::handle word, py::handle hyphen) {
             return insertedAt(word, face(object).breaks(word), expectStr(hyphen, "hyphen"), ChangeCase::AsWord);
           })
      .def("inserted", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.inserted", {"word", "hyphen"}, 2, 2}))
      .def("pairs",
           [](py::handle object, py::handle word) {
             return pairsAt(word, face(object).breaks(word), ChangeCase::AsWord);
           })
      .def("pairs", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.pairs", {"word"}, 1, 1}))
      .def("wrap",
           [](py::handle object, py::handle word, py::handle width, py::handle hyphen) {
             const std::vector<WordBreak> breaks = face(object).breaks(word);
             return wrapAt(word, breaks, widthOf(width), expectStr(hyphen, "hyphen"), ChangeCase::AsWord);
           })
      .def("wrap", otherCalls<PyphenFace>("_PyphenFace", {"_PyphenFace.wrap", {"word", "width", "hyphen"}, 3, 3}));
}

}  // namespace quellix::python
