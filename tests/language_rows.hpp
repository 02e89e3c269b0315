// The per-language table as the library documents it, written out independently of
// src/languages/languages.inc so that the tests check the library against it.
#ifndef QUELLIX_TESTS_LANGUAGE_ROWS_HPP
#define QUELLIX_TESTS_LANGUAGE_ROWS_HPP

#include <array>
#include <cstdint>
#include <string_view>

namespace quellix::testing {

struct ExpectedLanguage {
  std::int64_t number;
  std::string_view name;
  std::string_view affix;
  std::int64_t leftMin;
  std::int64_t rightMin;
};

inline constexpr std::array<ExpectedLanguage, 73> kExpectedLanguages{{
    {0, "Afrikaans", "af", 1, 2},
    {1, "Armenian", "hy", 1, 2},
    {2, "Assamese", "as", 1, 1},
    {3, "Basque", "eu", 2, 2},
    {4, "Bengali", "bn", 1, 1},
    {5, "Bulgarian", "bg", 2, 2},
    {6, "Catalan", "ca", 2, 2},
    {7, "Chinese", "zh-latn-pinyin", 1, 1},
    {8, "Coptic", "cop", 1, 1},
    {9, "Croatian", "hr", 2, 2},
    {10, "Czech", "cs", 2, 3},
    {11, "Danish", "da", 2, 2},
    {12, "Dutch", "nl", 2, 2},
    {13, "English_US", "en-us", 2, 3},
    {14, "English_GB", "en-gb", 2, 3},
    {15, "Esperanto", "eo", 2, 2},
    {16, "Estonian", "et", 2, 3},
    {17, "Ethiopic", "mul-ethi", 1, 1},
    {18, "Finnish", "fi", 2, 2},
    {19, "French", "fr", 2, 3},
    {20, "Friulan", "fur", 2, 2},
    {21, "Galician", "gl", 2, 2},
    {22, "Georgian", "ka", 1, 2},
    {23, "German_1901", "de-1901", 2, 2},
    {24, "German_1996", "de-1996", 2, 2},
    {25, "German_Swiss", "de-ch-1901", 2, 2},
    {26, "Greek_Ancient", "grc", 1, 1},
    {27, "Greek_Mono", "el-monoton", 1, 1},
    {28, "Greek_Poly", "el-polyton", 1, 1},
    {29, "Gujarati", "gu", 1, 1},
    {30, "Hindi", "hi", 1, 1},
    {31, "Hungarian", "hu", 2, 2},
    {32, "Icelandic", "is", 2, 2},
    {33, "Indonesian", "id", 2, 2},
    {34, "Interlingua", "ia", 2, 2},
    {35, "Irish", "ga", 2, 3},
    {36, "Italian", "it", 2, 2},
    {37, "Kannada", "kn", 1, 1},
    {38, "Kurmanji", "kmr", 2, 2},
    {39, "Latin", "la", 2, 2},
    {40, "Latin_Classic", "la-x-classic", 2, 2},
    {41, "Latvian", "lv", 2, 2},
    {42, "Lithuanian", "lt", 2, 2},
    {43, "Malayalam", "ml", 1, 1},
    {44, "Marathi", "mr", 1, 1},
    {45, "Mongolian", "mn-cyrl", 2, 2},
    {46, "Norwegian_Bokmal", "nb", 2, 2},
    {47, "Norwegian_Nynorsk", "nn", 2, 2},
    {48, "Occitan", "oc", 2, 2},
    {49, "Oriya", "or", 1, 1},
    {50, "Panjabi", "pa", 1, 1},
    {51, "Piedmontese", "pms", 2, 2},
    {52, "Polish", "pl", 2, 2},
    {53, "Portuguese", "pt", 2, 3},
    {54, "Romanian", "ro", 2, 2},
    {55, "Romansh", "rm", 2, 2},
    {56, "Russian", "ru", 2, 2},
    {57, "Sanskrit", "sa", 1, 3},
    {58, "Serbian_Cyrillic", "sr-cyrl", 2, 2},
    {59, "Serbocroatian_Cyrillic", "sh-cyrl", 2, 2},
    {60, "Serbocroatian_Latin", "sh-latn", 2, 2},
    {61, "Slovak", "sk", 2, 3},
    {62, "Slovenian", "sl", 2, 2},
    {63, "Spanish", "es", 2, 2},
    {64, "Swedish", "sv", 2, 2},
    {65, "Tamil", "ta", 1, 1},
    {66, "Telugu", "te", 1, 1},
    {67, "Thai", "th", 2, 3},
    {68, "Turkish", "tr", 2, 2},
    {69, "Turkmen", "tk", 2, 2},
    {70, "Ukrainian", "uk", 2, 2},
    {71, "Uppersorbian", "hsb", 2, 2},
    {72, "Welsh", "cy", 2, 3},
}};

// The affixes whose exception files are not empty.
inline constexpr std::array<std::string_view, 19> kAffixesWithExceptions{
    "af", "ca", "cs", "en-gb", "en-us", "ga", "hsb", "ia", "id", "nb",
    "nl", "nn", "pl", "pt", "ru", "sh-cyrl", "sh-latn", "sk", "sr-cyrl"};

}  // namespace quellix::testing

#endif
