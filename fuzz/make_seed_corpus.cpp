// Writes the seed corpora of the fuzz targets from the language data set, at build time:
//
//   make_seed_corpus DATA_DIR LANGUAGES_INC OUT_DIR
//
// For every language row of LANGUAGES_INC (number, affix, margins) it reads the
// language's files from DATA_DIR and writes slices of them into OUT_DIR/<target>/, one
// directory per fuzz target, in the input format that target reads. Nothing it writes
// is kept in the source tree.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Row {
  int number;
  std::string affix;
  int left, right;
};

std::vector<Row> readRows(const fs::path& table) {
  std::ifstream in(table);
  if (!in) throw std::runtime_error("cannot read " + table.string());
  const std::regex row(R"re(^QUELLIX_LANGUAGE\((\d+), \w+, \w+, "([a-z0-9-]+)", (\d+), (\d+)\))re");
  std::vector<Row> rows;
  std::string line;
  std::smatch m;
  while (std::getline(in, line))
    if (std::regex_search(line, m, row))
      rows.push_back({std::stoi(m[1]), m[2], std::stoi(m[3]), std::stoi(m[4])});
  return rows;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string gunzipFile(const fs::path& path) {
  gzFile file = gzopen(path.c_str(), "rb");
  if (!file) throw std::runtime_error("cannot open " + path.string());
  std::string out;
  char buffer[65536];
  int n;
  while ((n = gzread(file, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  gzclose(file);
  if (n < 0) throw std::runtime_error("cannot decompress " + path.string());
  return out;
}

std::string gzip(const std::string& content) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&z, static_cast<uLong>(content.size())) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  z.avail_in = static_cast<uInt>(content.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return out;
}

// count lines from first, each followed by a line feed.
std::string slice(const std::vector<std::string>& all, std::size_t first, std::size_t count) {
  std::string out;
  for (std::size_t k = first; k < all.size() && k < first + count; ++k) out += all[k] + "\n";
  return out;
}

// A pattern line's letters without digits and word-edge dots: a word the patterns match.
std::string patternWord(const std::string& line) {
  std::string out;
  for (char c : line)
    if ((c < '0' || c > '9') && c != '.') out += c;
  return out;
}

std::string exceptionWord(const std::string& line) {
  std::string out;
  for (char c : line)
    if (c != '-') out += c;
  return out;
}

void write(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + (dir / name).string());
}

void writeLanguage(const fs::path& data, const Row& row, const fs::path& out) {
  const std::string base = "hyph-" + row.affix;
  const std::string patText = gunzipFile(data / (base + ".pat.txt.gz"));
  const std::string hypText = gunzipFile(data / (base + ".hyp.txt.gz"));
  const std::string chrText = gunzipFile(data / (base + ".chr.txt.gz"));
  const std::vector<std::string> pat = lines(patText), hyp = lines(hypText), chr = lines(chrText);
  const std::size_t middle = pat.size() / 2;

  write(out / "fuzz_patterns", row.affix + "-head", slice(pat, 0, 40));
  write(out / "fuzz_patterns", row.affix + "-middle", slice(pat, middle, 40));
  write(out / "fuzz_patterns", row.affix + "-tail", slice(pat, pat.size() > 10 ? pat.size() - 10 : 0, 10));

  if (!hyp.empty()) write(out / "fuzz_exceptions", row.affix, slice(hyp, 0, 60));
  write(out / "fuzz_char_classes", row.affix, chrText);

  // Words: exception words, and pattern letters from the middle of the text.
  std::vector<std::string> words;
  for (std::size_t k = 0; k < hyp.size() && k < 10; ++k) words.push_back(exceptionWord(hyp[k]));
  for (std::size_t k = middle; k < pat.size() && k < middle + 10; ++k) words.push_back(patternWord(pat[k]));
  std::string wordLines;
  for (const std::string& w : words) wordLines += w + "\n";
  const std::string body =
      slice(pat, middle, 30) + "\x1e" + slice(hyp, 0, 20) + "\x1e" + chrText + "\x1e" + wordLines;
  write(out / "fuzz_hyphenate", row.affix + "-margins",
        std::string{'\0', static_cast<char>(row.left), static_cast<char>(row.right)} + body);
  write(out / "fuzz_hyphenate", row.affix + "-extremes", std::string{'\2', '\0', '\6'} + body);

  write(out / "fuzz_data_file", row.affix + "-chr.gz", readFile(data / (base + ".chr.txt.gz")));
  write(out / "fuzz_data_file", row.affix + "-hyp.gz", readFile(data / (base + ".hyp.txt.gz")));
  write(out / "fuzz_data_file", row.affix + "-pat.gz", gzip(slice(pat, middle, 80)));
  write(out / "fuzz_data_file", row.affix + "-pat.txt", slice(pat, 0, 20));

  // Running text: the words joined by spaces and punctuation, plain and inside HTML.
  std::string prose;
  for (std::size_t k = 0; k < words.size(); ++k) prose += words[k] + (k % 4 == 3 ? ". " : " ");
  const std::string number(1, static_cast<char>(row.number));
  write(out / "fuzz_text", row.affix + "-plain", number + std::string{'\x0a', '\x07'} + prose);
  write(out / "fuzz_text", row.affix + "-html", number + std::string{'\x1b', '\x03'} +
        "<p class=\"x\">" + prose + "&amp; <b>" + prose + "</b><!-- " + prose +
        " --><pre>" + prose + "</pre>&shy;</p>");

  // A libhyphen dictionary of a slice of the patterns, two levels, and the same words.
  write(out / "fuzz_dictionary", row.affix,
        "UTF-8\nLEFTHYPHENMIN " + std::to_string(row.left) + "\n" + slice(pat, 0, 20) + "NEXTLEVEL\n" +
            slice(pat, middle, 40) + "\x1e" + wordLines);

  for (std::size_t k = 0; k < words.size() && k < 6; ++k)
    write(out / "fuzz_builtin", row.affix + "-" + std::to_string(k),
          std::string(1, static_cast<char>(row.number)) + words[k]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: make_seed_corpus DATA_DIR LANGUAGES_INC OUT_DIR\n";
    return 2;
  }
  try {
    const std::vector<Row> rows = readRows(argv[2]);
    if (rows.empty()) throw std::runtime_error(std::string("no language rows in ") + argv[2]);
    const fs::path out = argv[3];
    fs::remove_all(out);
    for (const Row& row : rows) writeLanguage(argv[1], row, out);
    // A few hand-made inputs for corners the data set does not show.
    write(out / "fuzz_patterns", "corners", "\n5\na12b\n.1.\n1a\n");
    write(out / "fuzz_exceptions", "corners", "\n-\nab--c\n-abc\nabc-\nta-ble\ntable\n");
    write(out / "fuzz_hyphenate", "corners", std::string{'\1'} + std::string(16, '\xff') + "1\n\x1e\x1e\x1e\n.\nabc\n");
    write(out / "fuzz_dictionary", "non-standard",
          "UTF-8\nNOHYPHEN -,'\nCOMPOUNDLEFTHYPHENMIN 2\n.sz1sz/sz=sz,1,3\nny1ny/ny=ny,1,3\n"
          "schif1fahrt/ff=f,5,2\nf1f/f=f\n1-1\n\x1e" "asszonnyal\nschiffahrt\nab-cd\n");
    write(out / "fuzz_dictionary", "latin1",
          "ISO8859-1\n%comment\nRIGHTHYPHENMIN 3\n\xe4" "1b\nb1c\n.a2\n\x1e" "\xc3\xa4" "bc\nabcabc\n");
    write(out / "fuzz_data_file", "empty.gz", gzip(""));
    write(out / "fuzz_data_file", "malformed.txt", "\xC0\x80\xE0\x80\x80\xED\xA0\x80\xF4\x90\x80\x80\xF8\x88\x80\x80\x80\xE2\x82");
  } catch (const std::exception& e) {
    std::cerr << "make_seed_corpus: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
