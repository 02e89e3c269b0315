// Errors, hand-bound arguments and text conversions shared by the binding's parts.
#include "binding_support.hpp"

#include <string>

#include "printable_message.hpp"

namespace quellix::python {

ErrorTypes errorTypes;

void setPrintableError(PyObject* type, std::string_view message) {
  PyErr_SetString(type, quellix::detail::printableMessage(message).c_str());
}

std::string typeName(py::handle object) { return Py_TYPE(object.ptr())->tp_name; }

namespace {

// A name as a message may quote it: keyword names come from the caller too.
std::string quotedName(py::handle name) {
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_Check(name.ptr()) ? PyUnicode_AsUTF8AndSize(name.ptr(), &size) : nullptr;
  if (bytes == nullptr) {
    PyErr_Clear();
    return "of type " + typeName(name);
  }
  constexpr Py_ssize_t kShown = 64;
  std::string quoted = "'" + std::string(bytes, static_cast<std::size_t>(std::min(size, kShown)));
  return quoted + (size > kShown ? "...'" : "'");
}

}  // namespace

std::vector<py::handle> bindArguments(const Signature& signature, const py::args& args,
                                      const py::kwargs& kwargs) {
  const std::vector<const char*>& names = signature.names;
  std::vector<py::handle> bound(names.size());
  const std::string function = std::string(signature.function) + "()";
  if (args.size() > signature.positional)
    raise(PyExc_TypeError, function + " takes at most " + std::to_string(signature.positional) +
                               " positional argument" + (signature.positional == 1 ? "" : "s") + " (" +
                               std::to_string(args.size()) + " given)");
  for (std::size_t i = 0; i < args.size(); ++i) bound[i] = args[i];
  for (const auto& [key, value] : kwargs) {
    std::size_t index = names.size();
    for (std::size_t i = 0; i < names.size(); ++i)
      if (PyUnicode_Check(key.ptr()) && PyUnicode_CompareWithASCIIString(key.ptr(), names[i]) == 0) index = i;
    if (index == names.size())
      raise(PyExc_TypeError, function + " got an unexpected keyword argument " + quotedName(key));
    if (bound[index])
      raise(PyExc_TypeError, function + " got multiple values for argument '" + names[index] + "'");
    bound[index] = value;
  }
  for (std::size_t i = 0; i < signature.required; ++i)
    if (!bound[i]) raise(PyExc_TypeError, function + " missing required argument '" + names[i] + "'");
  return bound;
}

py::str expectStr(py::handle value, const char* parameter) {
  if (!PyUnicode_Check(value.ptr()))
    raise(PyExc_TypeError, std::string(parameter) + " must be a str, not " + typeName(value));
  return py::reinterpret_borrow<py::str>(value);
}

std::int64_t expectInt(py::handle value, const char* parameter) {
  if (PyBool_Check(value.ptr()) || !PyLong_Check(value.ptr()))
    raise(PyExc_TypeError, std::string(parameter) + " must be an int, not " + typeName(value));
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow != 0)
    raise(PyExc_ValueError, std::string(parameter) + " is out of range");
  return number;
}

std::optional<std::int64_t> expectOptionalInt(py::handle value, const char* parameter) {
  if (!value || value.is_none()) return std::nullopt;
  return expectInt(value, parameter);
}

bool expectBool(py::handle value, const char* parameter) {
  if (!PyBool_Check(value.ptr()))
    raise(PyExc_TypeError, std::string(parameter) + " must be True or False, not " + typeName(value));
  return value.ptr() == Py_True;
}

std::u32string codePoints(py::handle text) {
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

std::string_view utf8Of(py::handle text) {
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (bytes == nullptr) throw py::error_already_set();
  return {bytes, static_cast<std::size_t>(size)};
}

py::str strFromUtf8(std::string_view bytes) {
  PyObject* object =
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape");
  if (object == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(object);
}

py::str substring(py::handle text, std::size_t from, std::size_t to) {
  PyObject* piece = PyUnicode_Substring(text.ptr(), static_cast<Py_ssize_t>(from), static_cast<Py_ssize_t>(to));
  if (piece == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(piece);
}

py::str strFromCodePoints(std::u32string_view text) {
  PyObject* object = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, text.data(),
                                               static_cast<Py_ssize_t>(text.size()));
  if (object == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(object);
}

}  // namespace quellix::python
