// What every part of the binding shares: raising Python errors with bounded, escaped
// messages; binding call arguments by hand (so that no error message repeats a caller's
// argument whole, as pybind11's own "incompatible function arguments" would); the checks
// that an object of a bound class was made by its __init__; str and UTF-8 conversions.
#ifndef QUELLIX_PYTHON_BINDING_SUPPORT_HPP
#define QUELLIX_PYTHON_BINDING_SUPPORT_HPP

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quellix::python {

namespace py = pybind11;

// A Python exception to raise; the module's translator sets it with its message made
// printable (cut to about 256 bytes, controls and bidirectional controls escaped), as the
// C API does with its messages.
struct PythonError {
  PyObject* type;
  std::string message;
};

[[noreturn]] inline void raise(PyObject* type, std::string message) {
  throw PythonError{type, std::move(message)};
}

// Sets a Python error with message made printable. Used by the module's translator.
void setPrintableError(PyObject* type, std::string_view message);

// The quellix exception classes, made when the module is imported.
struct ErrorTypes {
  PyObject* error = nullptr;            // quellix.Error(Exception)
  PyObject* unknownLanguage = nullptr;  // quellix.UnknownLanguageError(Error, LookupError)
  PyObject* data = nullptr;             // quellix.DataError(Error)
  PyObject* score = nullptr;            // quellix.ScoreError(Error, ValueError)
  PyObject* dictionary = nullptr;       // quellix.DictionaryError(Error, ValueError)
};
extern ErrorTypes errorTypes;

// A short description of a Python object for a message: its type's name.
std::string typeName(py::handle object);

// The parameters of a function as Python declares them: the first `positional` names may
// be given by position, the rest by keyword only; the first `required` must be given.
struct Signature {
  const char* function;  // for messages: "hyphenate_text", "Hyphenator.wrap"
  std::vector<const char*> names;
  std::size_t positional;
  std::size_t required;
};

// The arguments of one call, by parameter; an empty handle for a parameter not given.
// Raises TypeError as Python does for a missing, repeated or unknown argument.
std::vector<py::handle> bindArguments(const Signature& signature, const py::args& args,
                                      const py::kwargs& kwargs);

// Conversions with messages that name the parameter. Each raises TypeError (ValueError
// for a value out of range).
py::str expectStr(py::handle value, const char* parameter);
std::int64_t expectInt(py::handle value, const char* parameter);
std::optional<std::int64_t> expectOptionalInt(py::handle value, const char* parameter);
bool expectBool(py::handle value, const char* parameter);

// The object of bound class T that self holds. Raises TypeError when self is not a T or
// holds none (made by T.__new__ without __init__, or left empty by a failed __setstate__).
template <class T>
T& held(py::handle self, const char* className) {
  if (!py::isinstance<T>(self)) raise(PyExc_TypeError, std::string("expected a quellix.") + className + ", not " + typeName(self));
  auto* instance = reinterpret_cast<py::detail::instance*>(self.ptr());
  const py::detail::value_and_holder valueAndHolder = instance->get_value_and_holder();
  if (!valueAndHolder.holder_constructed())
    raise(PyExc_TypeError, std::string("this quellix.") + className +
                               " was never initialised (made by __new__ without __init__, or left so by a "
                               "failed __setstate__)");
  return *valueAndHolder.value_ptr<T>();
}

// For a method's second overload: pybind11 tries the overloads in turn, the fast form first,
// then this one, which takes any other call and raises the TypeError Python would.
template <class T>
auto otherCalls(const char* className, const Signature& signature) {
  return [className, signature](py::handle self, const py::args& args, const py::kwargs& kwargs) -> py::object {
    held<T>(self, className);
    (void)bindArguments(signature, args, kwargs);
    raise(PyExc_TypeError, std::string(signature.function) + "(): wrong argument types");
  };
}

// A Python str as code points; lone surrogates pass through as code points no pattern knows.
std::u32string codePoints(py::handle text);

// The UTF-8 bytes of a Python str (cached inside the str by Python). Raises
// UnicodeEncodeError for lone surrogates, which UTF-8 cannot carry.
std::string_view utf8Of(py::handle text);

// A str from UTF-8 bytes; bytes that are not UTF-8 become lone surrogates (surrogateescape).
py::str strFromUtf8(std::string_view bytes);

// text[from, to) of a str (clamped to its length).
py::str substring(py::handle text, std::size_t from, std::size_t to);

// A str from code points.
py::str strFromCodePoints(std::u32string_view text);

}  // namespace quellix::python

#endif
