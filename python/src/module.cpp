// quellix._quellix: the Python binding of the library. The pure-Python package quellix
// re-exports it; the stubs in quellix/_quellix.pyi describe it for type checkers. This file
// makes the module: its exception classes and how the library's errors become them, and
// the language list; hyphenator_binding.cpp and text_binding.cpp add the rest.
//
// Words cross as code points (Python str is a code-point sequence, so positions are
// character offsets), texts as UTF-8. The GIL is released while the library divides.
// Every message that can quote a caller's text is cut and escaped as the C API's are.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "binding_support.hpp"
#include "printable_message.hpp"
#include "hyphenator_binding.hpp"
#include "quellix/error.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/paths.hpp"
#include "pyphen_binding.hpp"
#include "text_binding.hpp"

namespace py = pybind11;
using namespace quellix::python;

namespace {
// kOwnLicence (LICENSE) and kStatedLicences (data/licences.tsv), made by the build as for
// the command-line tool.
#include "tool_licences.inc"
}  // namespace

namespace {

PyObject* newException(py::module_& m, const char* name, PyObject* bases, const char* doc) {
  const std::string qualified = std::string("quellix.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
  if (type == nullptr) throw py::error_already_set();
  m.add_object(name, py::handle(type));  // the module holds the reference
  return type;
}

quellix::Language languageArgument(const py::handle& lang) {
  if (const auto language = quellix::findLanguage(utf8Of(expectStr(lang, "lang")))) return *language;
  raise(errorTypes.unknownLanguage, "no language is named '" + std::string(utf8Of(lang)) + "'");
}

}  // namespace

PYBIND11_MODULE(_quellix, m) {
  // Each docstring starts with its own signature: arguments are bound by hand (see
  // binding_support.hpp), so pybind11's would only say (*args, **kwargs).
  py::options options;
  options.disable_function_signatures();

  m.doc() = "quellix: word division with Liang's patterns for 73 languages (the compiled core).";

  errorTypes.error = newException(m, "Error", PyExc_Exception, "Base class of quellix's errors.");
  {
    py::tuple bases = py::make_tuple(py::handle(errorTypes.error), py::handle(PyExc_LookupError));
    errorTypes.unknownLanguage =
        newException(m, "UnknownLanguageError", bases.ptr(), "No built-in language has the tag given.");
  }
  errorTypes.data =
      newException(m, "DataError", errorTypes.error, "A language's embedded data is missing or damaged.");
  {
    py::tuple bases = py::make_tuple(py::handle(errorTypes.error), py::handle(PyExc_ValueError));
    errorTypes.score = newException(m, "ScoreError", bases.ptr(),
                                    "A word cannot be divided with the margins given (a left "
                                    "margin of 0 or less).");
  }
  {
    py::tuple bases = py::make_tuple(py::handle(errorTypes.error), py::handle(PyExc_ValueError));
    errorTypes.dictionary = newException(m, "DictionaryError", bases.ptr(),
                                         "A libhyphen dictionary is malformed: the message names its line and byte.");
  }
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const PythonError& e) {
      setPrintableError(e.type, e.message);
    } catch (const quellix::DataFileError& e) {
      setPrintableError(errorTypes.data, e.what());
    } catch (const quellix::DecompressionError& e) {
      setPrintableError(errorTypes.data, e.what());
    } catch (const quellix::ScoreError& e) {
      setPrintableError(errorTypes.score, e.what());
    } catch (const quellix::DictionaryError& e) {
      setPrintableError(errorTypes.dictionary, e.what());
    } catch (const quellix::ArgumentError& e) {
      setPrintableError(PyExc_ValueError, e.what());
    } catch (const quellix::Error& e) {
      setPrintableError(errorTypes.error, e.what());
    }
  });

  m.attr("__version__") = quellix::showVersion(quellix::version);

  bindHyphenator(m);
  bindText(m);
  bindPyphen(m);

  m.def(
      "_languages",
      [] {
        std::vector<std::tuple<std::string, std::string, std::int64_t, std::int64_t,
                               std::vector<std::string>, bool>>
            out;
        for (const quellix::Language language : quellix::enumFrom(quellix::languageMinBound)) {
          const quellix::Hyphenator& h = quellix::languageHyphenator(language);
          std::vector<std::string> aliases;
          for (const std::string_view alias : quellix::languageAliases(language)) aliases.emplace_back(alias);
          out.emplace_back(std::string(quellix::languageName(language)),
                           std::string(quellix::languageAffix(language)), quellix::hyphenatorLeftMin(h),
                           quellix::hyphenatorRightMin(h), std::move(aliases),
                           quellix::languageBuiltIn(language));
        }
        return out;
      },
      "(name, tag, left, right, short tags, built in) of every language, in the library's order.");
  m.def(
      "_licence", [](const py::handle& lang) { return quellix::languageLicence(languageArgument(lang)); },
      "The licence text of the language's pattern data.");
  m.def("_own_licence", [] { return std::string(kOwnLicence); }, "The text of quellix's LICENSE.");
  m.def(
      "_stated_licences",
      [] {
        std::vector<std::pair<std::string, std::string>> out;
        for (const StatedLicence& row : kStatedLicences) out.emplace_back(row.affix, row.stated);
        return out;
      },
      "(tag, the licence its notice states) of every language, in the library's order.");
  m.def(
      "_printable",
      [](const py::handle& text) {
        if (PyBytes_Check(text.ptr()))
          return quellix::detail::printableMessage(
              {PyBytes_AS_STRING(text.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(text.ptr()))});
        const py::bytes bytes = py::reinterpret_steal<py::bytes>(
            PyUnicode_AsEncodedString(expectStr(text, "text").ptr(), "utf-8", "surrogateescape"));
        if (!bytes) throw py::error_already_set();
        return quellix::detail::printableMessage(std::string_view(bytes));
      },
      "text (bytes, or str with surrogate escapes) cut and escaped as every message quoting a caller's text is.");
  m.def(
      "_find_language",
      [](const py::handle& tag) -> py::object {
        const auto language = quellix::findLanguage(utf8Of(expectStr(tag, "tag")));
        if (!language) return py::none();
        return py::str(std::string(quellix::languageName(*language)));
      },
      "The name of the language tag names (as --language finds it), or None.");
  m.def(
      "_close_tags",
      [](const py::handle& tag) {
        std::vector<std::string> out;
        for (const std::string_view close : quellix::closeLanguageAffixes(utf8Of(expectStr(tag, "tag"))))
          out.emplace_back(close);
        return out;
      },
      "Up to three tags of the languages whose tag or name is closest to tag.");
}
