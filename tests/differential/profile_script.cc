#include "differential/profile_script.h"

#include <istream>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace rolvex::differential {
namespace {

// The pieces that profile readers disagree on most: names in several cases
// and with blanks around, brackets, quotes, comments, high bytes.
const std::vector<std::string> kSections = {"S",        "s",   "T",
                                            "Sect ion", "a]b", "U"};
const std::vector<std::string> kKeys = {"k",   "K",  "key", "Key2",
                                        "a b", ";k", "[S",  "x"};
const std::vector<std::string> kValues = {
    "v",      "\"quoted\"", "'single'", "\"open",       "",        " lead",
    "trail ", "a=b",        "x]",       "\xe4\xf6\xfc", "tab\tin", "\"\"",
    "'",      "\x80\xff",   "  both  ", "\"a\" 'b'"};
const std::vector<std::string> kDefaults = {"", "def", "   ", " d ", "dflt  "};
const std::vector<int> kBufferSizes = {1, 2, 3, 8, 64, 256, 1024};
const std::vector<std::string> kLineEnds = {"\r\n", "\r\n", "\n", "\r"};

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  // A number below `n`. The raw engine output, not a distribution, so that
  // the same seed gives the same script with every standard library.
  std::size_t Below(std::size_t n) { return rng_() % n; }
  template <typename T>
  const T& Of(const std::vector<T>& list) {
    return list[Below(list.size())];
  }

  std::string Padded(const std::string& name) {
    switch (Below(6)) {
      case 0:
        return " " + name;
      case 1:
        return name + "\t";
      case 2:
        return " " + name + " ";
      default:
        return name;
    }
  }

  std::string Value() {
    std::string v = Of(kValues);
    if (Below(8) == 0) v += std::string(200 + Below(200), 'L') + "end";
    if (Below(4) == 0) v += Of(kValues);
    return v;
  }

  std::string Line() {
    const std::string& s = Of(kSections);
    switch (Below(10)) {
      case 0:
        return "[" + s + "]";
      case 1:
        return "[ " + s + " ]";
      case 2:
        return "[" + s + "]junk";
      case 3:
        return "[" + s;  // no "]": an ordinary line
      case 4:
        return "\t[" + s + "]x]";
      case 5:
        return ";" + Of(kKeys) + "=" + Value();
      case 6:
        return Below(2) ? "" : " \t ";
      case 7:
        return "no equals here";
      default: {
        static const std::vector<std::string> equals = {"=", " = ",
                                                        "\t=", "= "};
        return Padded(Of(kKeys)) + Of(equals) + Value();
      }
    }
  }

  std::string File() {
    std::string bytes;
    if (Below(16) == 0) bytes += "\xEF\xBB\xBF";
    int lines = 1 + static_cast<int>(Below(14));
    for (int i = 0; i < lines; ++i) {
      std::string line = Line();
      bytes += line;
      if (i + 1 < lines || Below(3) != 0) bytes += Of(kLineEnds);
    }
    // A NUL byte in one file of twelve: Wine stops reading there, which
    // the comparison allows for the whole file.
    if (Below(12) == 0) bytes.insert(Below(bytes.size() + 1), 1, '\0');
    return bytes;
  }

  Step Get(const std::string& section, const std::string& key,
           const std::string& fallback, int size) {
    Step step;
    step.kind = Step::Kind::kGet;
    step.section = section;
    step.key = key;
    step.text = fallback;
    step.buffer_size = size;
    return step;
  }

  void Case(int n, std::vector<Step>& steps) {
    Step file;
    file.kind = Step::Kind::kCase;
    file.case_number = n;
    file.bytes = File();
    steps.push_back(file);
    int ops = 3 + static_cast<int>(Below(8));
    for (int i = 0; i < ops; ++i) {
      if (Below(5) < 3) {
        std::string fallback =
            Below(8) == 0 ? std::string(100, 'D') : Of(kDefaults);
        steps.push_back(Get(Padded(Of(kSections)), Padded(Of(kKeys)), fallback,
                            Of(kBufferSizes)));
        continue;
      }
      Step set;
      set.kind = Step::Kind::kSet;
      set.section = Padded(Of(kSections));
      set.key = Padded(Of(kKeys));
      set.text = Value();
      steps.push_back(set);
      // What the write did, read back: its section's keys and its key in
      // every section.
      for (const auto& k : kKeys)
        steps.push_back(Get(set.section, k, "<none>", 1024));
      for (const auto& s : kSections)
        steps.push_back(Get(s, set.key, "<none>", 1024));
    }
  }

 private:
  std::mt19937 rng_;
};

}  // namespace

std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return "-";
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  if (hex == "-") return "";
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

std::vector<Step> Generate(std::uint32_t seed, int cases) {
  Generator g(seed);
  std::vector<Step> steps;
  for (int n = 1; n <= cases; ++n) g.Case(n, steps);
  return steps;
}

void WriteScript(const std::vector<Step>& steps, std::ostream& out) {
  for (const Step& s : steps) {
    switch (s.kind) {
      case Step::Kind::kCase:
        out << "case " << s.case_number << ' ' << Hex(s.bytes) << '\n';
        break;
      case Step::Kind::kGet:
        out << "get " << Hex(s.section) << ' ' << Hex(s.key) << ' '
            << Hex(s.text) << ' ' << s.buffer_size << '\n';
        break;
      case Step::Kind::kSet:
        out << "set " << Hex(s.section) << ' ' << Hex(s.key) << ' '
            << Hex(s.text) << '\n';
        break;
    }
  }
}

std::vector<Step> ReadScript(std::istream& in) {
  std::vector<Step> steps;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string kind, a, b, c;
    fields >> kind;
    Step s;
    if (kind == "case") {
      s.kind = Step::Kind::kCase;
      fields >> s.case_number >> a;
      s.bytes = Unhex(a);
    } else if (kind == "get" || kind == "set") {
      s.kind = kind == "get" ? Step::Kind::kGet : Step::Kind::kSet;
      fields >> a >> b >> c;
      s.section = Unhex(a);
      s.key = Unhex(b);
      s.text = Unhex(c);
      if (kind == "get") fields >> s.buffer_size;
    } else {
      throw std::runtime_error("bad script line: " + line);
    }
    steps.push_back(s);
  }
  return steps;
}

void Replay(const std::vector<Step>& steps, ProfileStore& store,
            const ReplayFolder& folder, std::ostream& transcript) {
  int n = 0;
  for (const Step& s : steps) {
    switch (s.kind) {
      case Step::Kind::kCase:
        n = s.case_number;
        folder.write_bytes(n, s.bytes);
        transcript << "case " << n << '\n';
        break;
      case Step::Kind::kGet:
        transcript << Hex(store.GetString(s.section, s.key, s.text,
                                          s.buffer_size, folder.path_of(n)))
                   << '\n';
        break;
      case Step::Kind::kSet:
        transcript << (store.WriteString(s.section, s.key, s.text,
                                         folder.path_of(n))
                           ? "1"
                           : "0")
                   << '\n';
        break;
    }
  }
}

}  // namespace rolvex::differential
