// quellix.hyphenate_text, quellix.hyphenate_html and quellix.TextHyphenator.
#ifndef QUELLIX_PYTHON_TEXT_BINDING_HPP
#define QUELLIX_PYTHON_TEXT_BINDING_HPP

#include <pybind11/pybind11.h>

namespace quellix::python {

// Adds the text functions and quellix.TextHyphenator to the module.
void bindText(pybind11::module_& m);

}  // namespace quellix::python

#endif
