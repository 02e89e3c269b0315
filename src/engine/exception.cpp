#include "quellix/exception.hpp"

#include <algorithm>
#include <ostream>

#include "exception_table.hpp"
#include "quellix/algebra.hpp"
#include "quellix/error.hpp"
#include "quellix/show.hpp"
#include "text_lines.hpp"

namespace quellix {

using detail::ExceptionAccess;
using detail::ExceptionTable;

namespace {

using ByteScores = std::vector<std::uint8_t>;

ByteScores scoreBytes(std::u32string_view entry) {
  ByteScores out;
  out.reserve(entry.size() + 1);
  std::size_t k = 0;
  while (k < entry.size()) {
    if (entry[k] == U'-') {
      out.push_back(1);
      k += 2;  // the character after a hyphen takes no score of its own, whatever it is
      if (k > entry.size()) return out;
    } else {
      out.push_back(0);
      k += 1;
    }
  }
  out.push_back(0);
  return out;
}

ByteScores zipMinBytes(const ByteScores& a, const ByteScores& b) {
  ByteScores out(std::min(a.size(), b.size()));
  for (std::size_t k = 0; k < out.size(); ++k) out[k] = std::min(a[k], b[k]);
  return out;
}

void addTo(ExceptionTable& table, std::u32string_view entry) {
  std::u32string word;
  word.reserve(entry.size());
  for (char32_t c : entry)
    if (c != U'-') word.push_back(c);
  ByteScores scores = scoreBytes(entry);
  auto [it, inserted] = table.words.try_emplace(std::move(word), scores);
  if (!inserted) it->second = zipMinBytes(it->second, scores);
}

void appendQuoted(std::string& out, std::u32string_view word) {
  out += '"';
  bool numericEscape = false;
  for (char32_t c : word) {
    if (numericEscape && c >= U'0' && c <= U'9') out += "\\&";
    numericEscape = false;
    if (c == U'"' || c == U'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c <= 0x7E) {
      out += static_cast<char>(c);
    } else {
      out += '\\';
      out += std::to_string(static_cast<std::uint32_t>(c));
      numericEscape = true;
    }
  }
  out += '"';
}

using Entry = ExceptionTable::Map::value_type;

std::vector<const Entry*> sortedEntries(const ExceptionTable* table) {
  std::vector<const Entry*> out;
  if (!table) return out;
  out.reserve(table->words.size());
  for (const Entry& e : table->words) out.push_back(&e);
  std::sort(out.begin(), out.end(), [](const Entry* a, const Entry* b) { return a->first < b->first; });
  return out;
}

void render(const Exceptions& table, bool parenthesised, std::string& out) {
  if (parenthesised) out += '(';
  out += "Exceptions (fromList [";
  bool first = true;
  for (const Entry* e : sortedEntries(ExceptionAccess::table(table))) {
    if (!first) out += ',';
    first = false;
    out += '(';
    appendQuoted(out, e->first);
    out += ",[";
    for (std::size_t k = 0; k < e->second.size(); ++k) {
      if (k) out += ',';
      out += static_cast<char>('0' + e->second[k]);
    }
    out += "])";
  }
  out += "])";
  if (parenthesised) out += ')';
}

}  // namespace

Exceptions::Exceptions() noexcept = default;
std::size_t Exceptions::size() const noexcept { return table_ ? table_->words.size() : 0; }

std::vector<std::pair<std::u32string, Scores>> Exceptions::entries() const {
  std::vector<std::pair<std::u32string, Scores>> out;
  for (const Entry* e : sortedEntries(table_.get()))
    out.emplace_back(e->first, Scores(e->second.begin(), e->second.end()));
  return out;
}

bool operator==(const Exceptions& a, const Exceptions& b) noexcept {
  if (a.table_ == b.table_) return true;
  if (a.size() != b.size()) return false;
  if (a.size() == 0) return true;
  for (const Entry& e : a.table_->words) {
    auto it = b.table_->words.find(e.first);
    if (it == b.table_->words.end() || it->second != e.second) return false;
  }
  return true;
}

Scores scoreException(std::u32string_view entry) {
  ByteScores bytes = scoreBytes(entry);
  return Scores(bytes.begin(), bytes.end());
}

Exceptions addException(std::u32string_view entry, const Exceptions& table) {
  const ExceptionTable* old = ExceptionAccess::table(table);
  auto fresh = old ? std::make_shared<ExceptionTable>(*old) : std::make_shared<ExceptionTable>();
  addTo(*fresh, entry);
  return ExceptionAccess::adopt(std::move(fresh));
}

std::optional<Scores> lookupException(std::u32string_view word, const Exceptions& table) {
  const ByteScores* found = ExceptionAccess::find(table, word);
  if (!found) return std::nullopt;
  return Scores(found->begin(), found->end());
}

Exceptions parseExceptions(std::u32string_view text) {
  auto table = std::make_shared<ExceptionTable>();
  detail::forEachLine(text, [&](std::u32string_view line) { addTo(*table, line); });
  if (table->words.empty()) return Exceptions();
  return ExceptionAccess::adopt(std::move(table));
}

Scores zipMin(std::span<const std::int64_t> a, std::span<const std::int64_t> b) {
  Scores out(std::min(a.size(), b.size()));
  for (std::size_t k = 0; k < out.size(); ++k) out[k] = std::min(a[k], b[k]);
  return out;
}

Exceptions operator+(const Exceptions& a, const Exceptions& b) {
  const ExceptionTable* ta = ExceptionAccess::table(a);
  const ExceptionTable* tb = ExceptionAccess::table(b);
  if (ta == tb || !tb) return a;
  if (!ta) return b;
  // Copy the larger table and fold the smaller one into it; the merge is symmetric.
  const ExceptionTable* big = ta->words.size() >= tb->words.size() ? ta : tb;
  const ExceptionTable* small = big == ta ? tb : ta;
  auto merged = std::make_shared<ExceptionTable>(*big);
  for (const Entry& e : small->words) {
    auto [it, inserted] = merged->words.try_emplace(e.first, e.second);
    if (!inserted) it->second = zipMinBytes(it->second, e.second);
  }
  return ExceptionAccess::adopt(std::move(merged));
}

std::string showsPrec(int d, const Exceptions& table, std::string_view tail) {
  std::string out;
  render(table, d >= 11, out);
  out += tail;
  return out;
}

std::string show(const Exceptions& table) { return showsPrec(0, table); }

std::string showList(std::span<const Exceptions> tables, std::string_view tail) {
  std::string out = "[";
  for (std::size_t k = 0; k < tables.size(); ++k) {
    if (k) out += ',';
    render(tables[k], false, out);
  }
  out += ']';
  out += tail;
  return out;
}

std::ostream& operator<<(std::ostream& out, const Exceptions& table) { return out << show(table); }

}  // namespace quellix
