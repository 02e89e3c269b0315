// The compiled half of quellix.pyphen.
#ifndef QUELLIX_PYTHON_PYPHEN_BINDING_HPP
#define QUELLIX_PYTHON_PYPHEN_BINDING_HPP

#include <pybind11/pybind11.h>

namespace quellix::python {

// Adds quellix._quellix._PyphenFace to the module.
void bindPyphen(pybind11::module_& m);

}  // namespace quellix::python

#endif
