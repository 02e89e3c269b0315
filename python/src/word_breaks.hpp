// A word's breaks turned into Python results: the pieces with a break's changed spelling,
// the word with hyphens inserted, the (first, rest) pairs and the wrap at a width. Shared
// by quellix.Hyphenator and the pyphen face, which differ only in the letter case they
// give a change.
#ifndef QUELLIX_PYTHON_WORD_BREAKS_HPP
#define QUELLIX_PYTHON_WORD_BREAKS_HPP

#include <pybind11/pybind11.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "hyphenator_binding.hpp"

namespace quellix::python {

namespace py = pybind11;

// The letter case of a change (the dictionary writes changes in small letters).
enum class ChangeCase {
  AsReplaced,  // capitals when the characters the change replaces are all capitals
  AsWord,      // capitals when the whole word is (str.isupper()), as pyphen does
};

// The part of word up to break b, with b's change, and the rest from it. word is a str.
std::pair<py::str, py::str> splitAt(py::handle word, const WordBreak& b, ChangeCase letterCase);

// word with hyphen (a str) at every break, each change made.
py::str insertedAt(py::handle word, const std::vector<WordBreak>& breaks, py::handle hyphen,
                   ChangeCase letterCase);

// insertedAt as pyphen writes it: the breaks taken from the last to the first in a list of
// the word's characters, a change replacing its characters, a plain break inserting the
// hyphen; where changes overlap other breaks, what that gives.
py::str insertedFromTheEnd(py::handle word, const std::vector<WordBreak>& breaks, py::handle hyphen,
                           ChangeCase letterCase);

// splitAt for every break, from the last to the first, as a list of tuples.
py::list pairsAt(py::handle word, const std::vector<WordBreak>& breaks, ChangeCase letterCase);

// (first + hyphen, rest) for the last break whose first part and hyphen fit width
// characters; None when none does.
py::object wrapAt(py::handle word, const std::vector<WordBreak>& breaks, std::int64_t width,
                  py::handle hyphen, ChangeCase letterCase);

}  // namespace quellix::python

#endif
