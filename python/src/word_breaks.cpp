// Pieces, inserted hyphens, pairs and wraps from a word's breaks, changes included.
#include "word_breaks.hpp"

#include <algorithm>

#include "binding_support.hpp"

namespace quellix::python {

namespace {

std::size_t lengthOf(py::handle text) { return static_cast<std::size_t>(PyUnicode_GET_LENGTH(text.ptr())); }

bool isUpper(py::handle text) { return text.attr("isupper")().ptr() == Py_True; }

// b's before and after texts in the case the rule gives.
std::pair<py::str, py::str> changeOf(py::handle word, const WordBreak& b, ChangeCase letterCase) {
  py::str before = strFromCodePoints(b.before);
  py::str after = strFromCodePoints(b.after);
  const bool upper = letterCase == ChangeCase::AsWord ? isUpper(word)
                                                      : isUpper(substring(word, b.start, b.start + b.cut));
  if (upper) {
    before = before.attr("upper")();
    after = after.attr("upper")();
  }
  return {std::move(before), std::move(after)};
}

}  // namespace

std::pair<py::str, py::str> splitAt(py::handle word, const WordBreak& b, ChangeCase letterCase) {
  const std::size_t length = lengthOf(word);
  if (!b.changes) return {substring(word, 0, b.at), substring(word, b.at, length)};
  auto [before, after] = changeOf(word, b, letterCase);
  return {substring(word, 0, b.start) + before, after + substring(word, b.start + b.cut, length)};
}

py::str insertedAt(py::handle word, const std::vector<WordBreak>& breaks, py::handle hyphen,
                   ChangeCase letterCase) {
  py::list parts;
  std::size_t from = 0;
  for (const WordBreak& b : breaks) {
    if (!b.changes) {
      parts.append(substring(word, from, std::max(from, b.at)));
      parts.append(hyphen);
      from = std::max(from, b.at);
      continue;
    }
    auto [before, after] = changeOf(word, b, letterCase);
    parts.append(substring(word, from, std::max(from, b.start)) + before);
    parts.append(hyphen);
    parts.append(after);
    from = std::max(from, b.start + b.cut);
  }
  parts.append(substring(word, from, lengthOf(word)));
  return py::str("").attr("join")(parts);
}

py::str insertedFromTheEnd(py::handle word, const std::vector<WordBreak>& breaks, py::handle hyphen,
                           ChangeCase letterCase) {
  py::list characters(py::reinterpret_borrow<py::object>(word));
  for (auto b = breaks.rbegin(); b != breaks.rend(); ++b) {
    if (!b->changes) {
      if (PyList_Insert(characters.ptr(), static_cast<Py_ssize_t>(b->at), hyphen.ptr()) != 0)
        throw py::error_already_set();
      continue;
    }
    auto [before, after] = changeOf(word, *b, letterCase);
    const py::list change(before + py::reinterpret_borrow<py::str>(hyphen) + after);
    if (PyList_SetSlice(characters.ptr(), static_cast<Py_ssize_t>(b->start),
                        static_cast<Py_ssize_t>(b->start + b->cut), change.ptr()) != 0)
      throw py::error_already_set();
  }
  return py::str("").attr("join")(characters);
}

py::list pairsAt(py::handle word, const std::vector<WordBreak>& breaks, ChangeCase letterCase) {
  py::list out;
  for (auto b = breaks.rbegin(); b != breaks.rend(); ++b) {
    auto [head, tail] = splitAt(word, *b, letterCase);
    out.append(py::make_tuple(std::move(head), std::move(tail)));
  }
  return out;
}

py::object wrapAt(py::handle word, const std::vector<WordBreak>& breaks, std::int64_t width,
                  py::handle hyphen, ChangeCase letterCase) {
  const auto hyphenLength = static_cast<std::int64_t>(lengthOf(hyphen));
  for (auto b = breaks.rbegin(); b != breaks.rend(); ++b) {
    auto [head, tail] = splitAt(word, *b, letterCase);
    if (static_cast<std::int64_t>(lengthOf(head)) + hyphenLength <= width)
      return py::make_tuple(head + py::reinterpret_borrow<py::str>(hyphen), tail);
  }
  return py::none();
}

}  // namespace quellix::python
