// Every dictionary of Debian's 46 hyphen-* packages (and myspell-et's), divided by quellix
// and by libhyphen (the system's libhyphen, linked in) over a word list of its language: the
// same values at every boundary, the same breaks and the same changes of spelling, through
// quellix's values (what quellix/compat/hyphen.h reports) and through its ordinary
// hyphenator. A dictionary, word list or libhyphen that is not installed makes the test
// report itself skipped.
#include <gtest/gtest.h>
#include <hyphen.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "dictionary_data.hpp"
#include "hyphenator_internal.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

namespace {

namespace fs = std::filesystem;

// The most words taken from a list, spread evenly over it: 30,000 in an optimised build
// (about a second per dictionary), 5,000 in a debug or sanitizer build, whose division is
// several times slower, so that CI's debug and sanitizer runs stay near a minute each.
#ifdef NDEBUG
constexpr std::size_t kMostWords = 30000;
#else
constexpr std::size_t kMostWords = 5000;
#endif

enum class ListFormat { None, Lines, Hunspell };

struct DictionaryCase {
  const char* file;     // in /usr/share/hyphen
  const char* package;  // its Debian package
  const char* list;     // a word list of its language, or null: its patterns' own words
  ListFormat format;
  const char* listPackage;
};

constexpr const char* kHunspell = "/usr/share/hunspell/";

const DictionaryCase kCases[] = {
    {"hyph_af_ZA.dic", "hyphen-af", "af_ZA", ListFormat::Hunspell, "hunspell-af"},
    {"hyph_as_IN.dic", "hyphen-as", nullptr, ListFormat::None, nullptr},
    {"hyph_be_BY.dic", "hyphen-be", "be_BY", ListFormat::Hunspell, "hunspell-be"},
    {"hyph_bg_BG.dic", "hyphen-bg", "bg_BG", ListFormat::Hunspell, "hunspell-bg"},
    {"hyph_bn_IN.dic", "hyphen-bn", "bn_IN", ListFormat::Hunspell, "hunspell-bn"},
    {"hyph_ca_ES.dic", "hyphen-ca", "/usr/share/dict/catalan", ListFormat::Lines, "wcatalan"},
    {"hyph_cs_CZ.dic", "hyphen-cs", "cs_CZ", ListFormat::Hunspell, "hunspell-cs"},
    {"hyph_da_DK.dic", "hyphen-da", "/usr/share/dict/danish", ListFormat::Lines, "wdanish"},
    {"hyph_de_DE.dic", "hyphen-de", "/usr/share/dict/ngerman", ListFormat::Lines, "wngerman"},
    {"hyph_el_GR.dic", "hyphen-el", "el_GR", ListFormat::Hunspell, "hunspell-el"},
    {"hyph_en_GB.dic", "hyphen-en-gb", "/usr/share/dict/british-english", ListFormat::Lines, "wbritish"},
    {"hyph_en_US.dic", "hyphen-en-us", "/usr/share/dict/american-english", ListFormat::Lines, "wamerican"},
    {"hyph_es_ES.dic", "hyphen-es", "/usr/share/dict/spanish", ListFormat::Lines, "wspanish"},
    {"hyph_et_EE.dic", "myspell-et", "et_EE", ListFormat::Hunspell, "myspell-et"},
    {"hyph_fr.dic", "hyphen-fr", "/usr/share/dict/french", ListFormat::Lines, "wfrench"},
    {"hyph_gl_ES.dic", "hyphen-gl", "/usr/share/dict/galician-minimos", ListFormat::Lines, "wgalician-minimos"},
    {"hyph_gu_IN.dic", "hyphen-gu", "gu_IN", ListFormat::Hunspell, "hunspell-gu"},
    {"hyph_hi_IN.dic", "hyphen-hi", "hi_IN", ListFormat::Hunspell, "hunspell-hi"},
    {"hyph_hr_HR.dic", "hyphen-hr", "hr_HR", ListFormat::Hunspell, "hunspell-hr"},
    {"hyph_hu_HU.dic", "hyphen-hu", "hu_HU", ListFormat::Hunspell, "hunspell-hu"},
    {"hyph_id_ID.dic", "hyphen-id", "id_ID", ListFormat::Hunspell, "hunspell-id"},
    {"hyph_is_IS.dic", "hyphen-is", "is_IS", ListFormat::Hunspell, "hunspell-is"},
    {"hyph_it_IT.dic", "hyphen-it", "/usr/share/dict/italian", ListFormat::Lines, "witalian"},
    {"hyph_kn_IN.dic", "hyphen-kn", nullptr, ListFormat::None, nullptr},
    {"hyph_lt_LT.dic", "hyphen-lt", "lt_LT", ListFormat::Hunspell, "hunspell-lt"},
    {"hyph_lv_LV.dic", "hyphen-lv", "lv_LV", ListFormat::Hunspell, "hunspell-lv"},
    {"hyph_ml_IN.dic", "hyphen-ml", "ml_IN", ListFormat::Hunspell, "hunspell-ml"},
    {"hyph_mn_MN.dic", "hyphen-mn", "mn_MN", ListFormat::Hunspell, "hunspell-mn"},
    {"hyph_mr_IN.dic", "hyphen-mr", nullptr, ListFormat::None, nullptr},
    {"hyph_nb_NO.dic", "hyphen-no", "nb_NO", ListFormat::Hunspell, "hunspell-no"},
    {"hyph_nl_NL.dic", "hyphen-nl", "/usr/share/dict/dutch", ListFormat::Lines, "wdutch"},
    {"hyph_nn_NO.dic", "hyphen-no", "nn_NO", ListFormat::Hunspell, "hunspell-no"},
    {"hyph_or_IN.dic", "hyphen-or", nullptr, ListFormat::None, nullptr},
    {"hyph_pa_IN.dic", "hyphen-pa", nullptr, ListFormat::None, nullptr},
    {"hyph_pl_PL.dic", "hyphen-pl", "pl_PL", ListFormat::Hunspell, "hunspell-pl"},
    {"hyph_pt_BR.dic", "hyphen-pt-br", "/usr/share/dict/brazilian", ListFormat::Lines, "wbrazilian"},
    {"hyph_pt_PT.dic", "hyphen-pt-pt", "/usr/share/dict/portuguese", ListFormat::Lines, "wportuguese"},
    {"hyph_ro_RO.dic", "hyphen-ro", "ro_RO", ListFormat::Hunspell, "hunspell-ro"},
    {"hyph_ru_RU.dic", "hyphen-ru", "ru_RU", ListFormat::Hunspell, "hunspell-ru"},
    {"hyph_sk_SK.dic", "hyphen-sk", "sk_SK", ListFormat::Hunspell, "hunspell-sk"},
    {"hyph_sl_SI.dic", "hyphen-sl", "sl_SI", ListFormat::Hunspell, "hunspell-sl"},
    {"hyph_sr-Latn_RS.dic", "hyphen-sr", "sr_Latn_RS", ListFormat::Hunspell, "hunspell-sr"},
    {"hyph_sr_RS.dic", "hyphen-sr", "sr_RS", ListFormat::Hunspell, "hunspell-sr"},
    {"hyph_sv_SE.dic", "hyphen-sv", "/usr/share/dict/swedish", ListFormat::Lines, "wswedish"},
    {"hyph_ta_IN.dic", "hyphen-ta", nullptr, ListFormat::None, nullptr},
    {"hyph_te_IN.dic", "hyphen-te", "te_IN", ListFormat::Hunspell, "hunspell-te"},
    {"hyph_th_TH.dic", "hyphen-th", "th_TH", ListFormat::Hunspell, "hunspell-th"},
    {"hyph_uk_UA.dic", "hyphen-uk", "uk_UA", ListFormat::Hunspell, "hunspell-uk"},
    {"hyph_zu_ZA.dic", "hyphen-zu", nullptr, ListFormat::None, nullptr},
};

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// text as code points: UTF-8 when it is well formed, else Latin-1.
std::u32string decodeList(std::string_view text) {
  std::u32string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const std::size_t length = quellix::detail::decodeUtf8Sequence(bytes + at, text.size() - at, c);
    if (length == 0) return std::u32string(text.begin(), text.end());
    out += c;
    at += length;
  }
  return out;
}

std::vector<std::u32string> splitLines(std::u32string_view text) {
  std::vector<std::u32string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(U'\n', at);
    if (end == std::u32string_view::npos) end = text.size();
    std::u32string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == U'\r') line.remove_suffix(1);
    lines.emplace_back(line);
    at = end + 1;
  }
  return lines;
}

// The words of a list: one per line; a Hunspell dictionary's stems (its first line, the
// count, and the flags after '/' left out), decoded as its .aff says.
std::vector<std::u32string> listWords(const DictionaryCase& c, std::string& missing) {
  std::vector<std::u32string> words;
  if (c.format == ListFormat::None) return words;
  std::string path = c.list;
  std::u32string text;
  if (c.format == ListFormat::Hunspell) {
    path = std::string(kHunspell) + c.list + ".dic";
    const std::string aff = readAll(std::string(kHunspell) + c.list + ".aff");
    const std::string bytes = readAll(path);
    if (bytes.empty()) {
      missing = c.listPackage;
      return words;
    }
    const bool utf8 = aff.find("SET UTF-8") != std::string::npos;
    if (utf8) {
      text = decodeList(bytes);
    } else {
      // A single-byte list: decoded through a one-line dictionary of the same encoding.
      const std::size_t set = aff.find("SET ");
      const std::string encoding = aff.substr(set + 4, aff.find_first_of("\r\n", set) - set - 4);
      const quellix::Hyphenator any = quellix::readDictionary(encoding + "\n", "list");
      text = quellix::decodeDictionaryText(any, bytes);
    }
  } else {
    const std::string bytes = readAll(path);
    if (bytes.empty()) {
      missing = c.listPackage;
      return words;
    }
    text = decodeList(bytes);
  }
  std::vector<std::u32string> lines = splitLines(text);
  for (std::size_t k = c.format == ListFormat::Hunspell ? 1 : 0; k < lines.size(); ++k) {
    std::u32string word = lines[k];
    if (c.format == ListFormat::Hunspell) word = word.substr(0, word.find_first_of(U"/\t "));
    if (!word.empty()) words.push_back(std::move(word));
  }
  return words;
}

// The letters of the dictionary's own patterns, each pattern a word (digits, dots and the
// change left out).
std::vector<std::u32string> patternWords(const quellix::Hyphenator& h, const std::string& bytes) {
  std::vector<std::u32string> words;
  const std::vector<std::u32string> lines = splitLines(quellix::decodeDictionaryText(h, bytes));
  for (std::size_t k = 1; k < lines.size(); ++k) {
    std::u32string_view line = lines[k];
    line = line.substr(0, std::min(line.find_first_of(U" \t"), line.find(U'/')));
    if (line.empty() || line.front() == U'%' || (line.front() >= U'A' && line.front() <= U'Z')) continue;
    std::u32string word;
    for (char32_t c : line)
      if (c != U'.' && (c < U'0' || c > U'9')) word += c;
    if (!word.empty()) words.push_back(std::move(word));
  }
  return words;
}

std::vector<std::u32string> spread(std::vector<std::u32string> words, std::size_t most) {
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  if (words.size() <= most) return words;
  std::vector<std::u32string> taken;
  for (std::size_t k = 0; k < most; ++k) taken.push_back(words[k * words.size() / most]);
  return taken;
}

// libhyphen's answer for word (bytes in the dictionary's encoding): the digits up to their
// NUL, and each replacement as "index:rep,pos,cut".
struct PeerAnswer {
  std::string digits;
  std::vector<std::string> changes;
  friend bool operator==(const PeerAnswer&, const PeerAnswer&) = default;
};

PeerAnswer askPeer(HyphenDict* dict, const std::string& word) {
  PeerAnswer answer;
  std::vector<char> hyphens(word.size() + 5, 0);
  char** rep = nullptr;
  int* pos = nullptr;
  int* cut = nullptr;
  hnj_hyphen_hyphenate2(dict, word.data(), static_cast<int>(word.size()), hyphens.data(), nullptr,
                        &rep, &pos, &cut);
  answer.digits = hyphens.data();
  if (rep) {
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (rep[k])
        answer.changes.push_back(std::to_string(k) + ":" + rep[k] + "," + std::to_string(pos[k]) +
                                 "," + std::to_string(cut[k]));
      std::free(rep[k]);
    }
    std::free(rep);
    std::free(pos);
    std::free(cut);
  }
  return answer;
}

PeerAnswer askQuellix(const quellix::Hyphenator& h, std::u32string_view word,
                      quellix::DictionaryValues& values) {
  PeerAnswer answer;
  quellix::dictionaryValues(h, word, values);
  for (std::uint8_t v : values.values) answer.digits += static_cast<char>('0' + v);
  for (const quellix::SpellingBreak& b : values.changes) {
    const std::u32string change = b.lineEnd + U"=" + b.nextStart;
    answer.changes.push_back(std::to_string(b.position - 1) + ":" +
                             quellix::encodeDictionaryText(h, change) + "," +
                             std::to_string(b.position - b.replacedBegin) + "," +
                             std::to_string(b.replacedEnd - b.replacedBegin));
  }
  return answer;
}

// Faults of libhyphen 2.8.8 that quellix does not copy. Each comes with a copy of the file
// that does not trigger it: where quellix and libhyphen differ, libhyphen reading that copy
// must give what quellix gives, or the difference is a failure.
struct Fault {
  const char* reason;
  std::string (*repair)(const std::string& bytes);  // the same file without the trigger
};

std::vector<std::string> lines(const std::string& bytes) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    out.push_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

const Fault kFaults[] = {
    {"libhyphen 2.8.8 reads a line in pieces of 99 bytes, so the rest of a longer comment line "
     "becomes patterns (Belarusian, Afrikaans)",
     [](const std::string& bytes) {
       std::string out;
       for (const std::string& line : lines(bytes))
         if (!(line.size() >= 99 && line[0] == '%')) out += line + "\n";
       return out;
     }},
    {"libhyphen 2.8.8 keeps the carriage return of a CR LF line end in the last NOHYPHEN item "
     "(Mongolian), so that item never matches",
     [](const std::string& bytes) {
       std::string out;
       for (std::string line : lines(bytes)) {
         if (line.rfind("NOHYPHEN", 0) == 0 && !line.empty() && line.back() == '\r') line.pop_back();
         out += line + "\n";
       }
       return out;
     }},
};

using Peer = std::unique_ptr<HyphenDict, void (*)(HyphenDict*)>;

Peer loadPeer(const std::string& path) { return Peer(hnj_hyphen_load(path.c_str()), &hnj_hyphen_free); }

// libhyphen reading bytes from a scratch file.
Peer loadPeerFrom(const std::string& bytes, const std::string& name) {
  const fs::path file = fs::temp_directory_path() / ("quellix-dictionary-" + std::to_string(::getpid()) + "-" + name);
  std::ofstream(file, std::ios::binary) << bytes;
  Peer peer = loadPeer(file.string());
  fs::remove(file);
  return peer;
}

std::vector<std::string> skipped;

class DictionaryDifferential : public testing::TestWithParam<DictionaryCase> {};

TEST_P(DictionaryDifferential, SameValuesBreaksAndChangesAsLibhyphen) {
  const DictionaryCase& c = GetParam();
  const std::string path = std::string("/usr/share/hyphen/") + c.file;
  if (!fs::exists(path)) {
    skipped.push_back(std::string(c.file) + " (install " + c.package + ")");
    GTEST_SKIP() << path << " missing: install " << c.package;
  }
  Peer peer = loadPeer(path);
  ASSERT_NE(peer, nullptr);
  const std::string bytes = readAll(path);
  const quellix::Hyphenator h = quellix::readDictionary(bytes, path);
  std::string missing;
  std::vector<std::u32string> words = listWords(c, missing);
  if (!missing.empty()) {
    skipped.push_back(std::string(c.file) + " (install " + missing + ")");
    GTEST_SKIP() << "no word list: install " << missing;
  }
  std::vector<std::u32string> own = patternWords(h, bytes);
  words = spread(std::move(words), kMostWords);
  own = spread(std::move(own), kMostWords / 3);
  words.insert(words.end(), own.begin(), own.end());
  // Words as running text gives them too: with digits around and inside them.
  const std::size_t plain = words.size();
  for (std::size_t k = 0; k < plain && k < 3000; k += 10) {
    const std::u32string w = words[k * plain / 3000];  // a copy: words grows below
    if (w.find_first_of(U"-'") != std::u32string::npos) continue;
    words.push_back(U"12" + w + U"3");
    words.push_back(w.substr(0, w.size() / 2) + U"4" + w.substr(w.size() / 2));
  }
  // libhyphen reading the file without each fault's trigger, where that changes the file.
  std::vector<std::pair<const Fault*, Peer>> repaired;
  for (const Fault& fault : kFaults) {
    const std::string fixed = fault.repair(bytes);
    if (fixed != bytes && fixed != bytes + "\n")
      repaired.emplace_back(&fault, loadPeerFrom(fixed, c.file));
  }
  std::vector<std::size_t> explained(repaired.size(), 0);

  const quellix::CharNormaliser& fold = quellix::hyphenatorChars(h);
  quellix::DictionaryValues values;
  std::size_t compared = 0, differing = 0;
  // Whether libhyphen, or libhyphen reading a repaired copy, answers as quellix does; counts
  // the words a fault explains.
  const auto agrees = [&](const std::string& encoded, auto&& ours, auto&& ask) {
    if (ask(peer.get(), encoded) == ours) return true;
    for (std::size_t k = 0; k < repaired.size(); ++k) {
      if (ask(repaired[k].second.get(), encoded) == ours) {
        ++explained[k];
        return true;
      }
    }
    return false;
  };
  for (const std::u32string& word : words) {
    if (word.size() > 200) continue;
    const std::string encoded = quellix::encodeDictionaryText(h, word);
    if (quellix::decodeDictionaryText(h, encoded) != word) continue;  // not in its encoding
    ++compared;
    // The quick readings give what the plain one gives.
    if (!quellix::detail::quickReadingsAgree(*quellix::detail::hyphenatorDictionary(h), word) &&
        ++differing <= 10)
      ADD_FAILURE() << c.file << ": " << quellix::detail::toUtf8(word) << ": the quick readings differ";
    // Exactly as given: the values libhyphen's interface reports.
    const PeerAnswer ours = askQuellix(h, word, values);
    const auto exact = [](HyphenDict* dict, const std::string& w) { return askPeer(dict, w); };
    if (!agrees(encoded, ours, exact)) {
      if (++differing <= 10) {
        const PeerAnswer theirs = askPeer(peer.get(), encoded);
        ADD_FAILURE() << c.file << ": " << quellix::detail::toUtf8(word)
                      << "\n  libhyphen " << theirs.digits << " " << testing::PrintToString(theirs.changes)
                      << "\n  quellix   " << ours.digits << " " << testing::PrintToString(ours.changes);
      }
      continue;
    }
    // Through the ordinary hyphenator, which folds capitals: libhyphen on the folded word,
    // its breaks and the changes at them.
    std::u32string folded = word;
    for (char32_t& ch : folded) ch = fold(ch);
    PeerAnswer breaks;
    breaks.digits.assign(word.size(), '0');
    std::vector<std::size_t> standard;  // the breaks that change nothing, as breakPoints gives them
    for (const quellix::SpellingBreak& b : quellix::breaksWithChanges(h, word)) {
      if (b == quellix::SpellingBreak{b.position, b.position, b.position, {}, {}}) standard.push_back(b.position);
      breaks.digits[b.position - 1] = '1';
      if (b.position != b.replacedBegin || b.position != b.replacedEnd) {
        std::u32string change = b.lineEnd + U"=" + b.nextStart;
        for (char32_t& ch : change) ch = fold(ch);
        breaks.changes.push_back(std::to_string(b.position - 1) + ":" +
                                 quellix::encodeDictionaryText(h, change) + "," +
                                 std::to_string(b.position - b.replacedBegin) + "," +
                                 std::to_string(b.replacedEnd - b.replacedBegin));
      }
    }
    const auto breaksOnly = [](HyphenDict* dict, const std::string& w) {
      PeerAnswer answer = askPeer(dict, w);
      for (char& d : answer.digits) d = (d - '0') % 2 ? '1' : '0';
      std::erase_if(answer.changes, [&](const std::string& change) {
        return answer.digits[std::stoul(change.substr(0, change.find(':')))] != '1';
      });
      return answer;
    };
    std::vector<std::size_t> quick(word.size() + 1);
    quick.resize(quellix::breakPoints(h, word, quick));
    if (quick != standard && ++differing <= 10)
      ADD_FAILURE() << c.file << ": " << quellix::detail::toUtf8(word) << " through breakPoints: "
                    << testing::PrintToString(quick) << ", breaksWithChanges: " << testing::PrintToString(standard);
    if (!agrees(quellix::encodeDictionaryText(h, folded), breaks, breaksOnly)) {
      if (++differing <= 10) {
        const PeerAnswer theirs = breaksOnly(peer.get(), quellix::encodeDictionaryText(h, folded));
        ADD_FAILURE() << c.file << ": " << quellix::detail::toUtf8(word) << " through breaksWithChanges"
                      << "\n  libhyphen " << theirs.digits << " " << testing::PrintToString(theirs.changes)
                      << "\n  quellix   " << breaks.digits << " " << testing::PrintToString(breaks.changes);
      }
    }
  }
  for (std::size_t k = 0; k < repaired.size(); ++k)
    if (explained[k] > 0)
      std::printf("%s: %zu words differ from libhyphen 2.8.8 by its fault: %s\n", c.file, explained[k],
                  repaired[k].first->reason);
  RecordProperty("words", static_cast<int>(compared));
  EXPECT_EQ(differing, 0u) << c.file << ": " << differing << " of " << compared << " words differ";
  EXPECT_GT(compared, 0u);
}

// The examples as Debian's dictionaries divide them, with the ordinary hyphenator's folding.
TEST(DebianDictionaries, DivideTheExamples) {
  const char* path = "/usr/share/hyphen/hyph_hu_HU.dic";
  if (!fs::exists(path)) {
    skipped.push_back("hyph_hu_HU.dic (install hyphen-hu)");
    GTEST_SKIP() << path << " missing: install hyphen-hu";
  }
  const quellix::Hyphenator hu = quellix::loadDictionary(path);
  for (const auto& [word, divided] : {std::pair{"asszonnyal", "asz szony nyal"}, {"Asszonnyal", "Asz szony nyal"}}) {
    std::string joined;
    for (const std::string& piece : quellix::hyphenateWithChanges(hu, std::string_view(word)))
      joined += (joined.empty() ? "" : " ") + piece;
    EXPECT_EQ(joined, divided);
  }
}

INSTANTIATE_TEST_SUITE_P(Debian, DictionaryDifferential, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DictionaryCase>& param) {
                           std::string name = param.param.file;
                           name = name.substr(5, name.size() - 9);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace

// Skipped as a whole (exit 77) when any dictionary could not be checked and none failed.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  if (status == 0 && !skipped.empty()) {
    std::printf("SKIPPED: %zu dictionaries not checked:", skipped.size());
    for (const std::string& s : skipped) std::printf(" %s", s.c_str());
    std::printf("\n");
    return 77;
  }
  return status;
}
