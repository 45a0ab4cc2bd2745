// Writes the option lists of the manual page and the help page from the
// engine's command-line flags (the option table and the writer registry's
// media), so neither is ever written by hand.
//
//   option_pages man TEMPLATE OUTPUT   the manual page: TEMPLATE with its marker line
//                                      replaced by the options
//   option_pages check-html PAGE       exit 1 when PAGE's option table is not the one made now
//   option_pages update-html PAGE      puts the option table made now into PAGE

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "options/command_line.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

// The line of the manual page's template that the option list replaces.
constexpr std::string_view manMarker = ".\\\" The options follow, made from the option table.";
// The line after the list, so that the committed template holds a current list too.
constexpr std::string_view manEndMarker = ".\\\" The options end here.";
// The lines between which the help page holds its option table.
constexpr std::string_view htmlBegin =
    "<!-- The option table: made by option_pages from the program's options. -->";
constexpr std::string_view htmlEnd = "<!-- End of the option table. -->";

// Text as roff shows it: hyphens as minus signs, backslashes escaped, and no
// line that begins with a control character.
std::string roff(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '-') {
      out += "\\-";
    } else if (c == '\\') {
      out += "\\e";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return out;
}

std::string manOptions() {
  std::string page;
  std::optional<OptionGroup> group;
  for (const CommandLineFlag& o : commandLineFlags()) {
    if (o.group != group) {
      group = o.group;
      page += ".SS " + std::string(groupHeading(o.group)) + "\n";
    }
    page += ".TP\n";
    const std::string flag = roff("--" + std::string(o.flag));
    if (!o.valueName.empty()) {
      page += ".BI " + flag + "= " + roff(o.valueName) + "\n";
    } else if (o.listNegation) {
      page += ".BR " + flag + " \", \" " + roff("--no-" + std::string(o.flag)) + "\n";
    } else {
      page += ".B " + flag + "\n";
    }
    std::string text(o.help);
    if (o.showStart) text += " (" + startValueText(o) + ")";
    if (!o.details.empty()) text += ". " + std::string(o.details);
    page += roff(text) + "\n";
  }
  return page;
}

std::string html(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The help page's table: the window's caption beside the converter's option.
std::string htmlOptions() {
  std::string table = std::string(htmlBegin) + "\n<table>\n" +
                      "<tr><th>画面の項目</th><th>zelvato-convert のオプション</th><th>最初の値</th>"
                      "<th>--help の説明</th></tr>\n";
  for (const CommandLineFlag& o : commandLineFlags()) {
    std::string option = "--" + std::string(o.flag);
    if (!o.valueName.empty()) option += "=" + std::string(o.valueName);
    if (o.negatable) option += ", --no-" + std::string(o.flag);
    const std::string caption = o.caption.empty() ? "（コマンドラインだけ）" : utf16ToUtf8(o.caption);
    // A switch's start value is shown even where --help leaves it out.
    std::string start = o.showStart || o.negatable ? startValueText(o) : std::string();
    if (start == "on") start = "オン";
    if (start == "off") start = "オフ";
    table += "<tr><td>" + html(caption) + "</td><td><code>" + html(option) + "</code></td><td>" +
             html(start) + "</td><td>" + html(o.help) + "</td></tr>\n";
  }
  return table + "</table>\n" + std::string(htmlEnd) + "\n";
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

int fail(const std::string& message) {
  std::cerr << "option_pages: " << message << '\n';
  return 1;
}

// PAGE with its option table (from the begin line to the end line) replaced.
std::optional<std::string> withHtmlOptions(const std::string& page) {
  const std::size_t begin = page.find(htmlBegin);
  const std::size_t end = page.find(htmlEnd);
  if (begin == std::string::npos || end == std::string::npos || end < begin) return std::nullopt;
  std::size_t after = end + htmlEnd.size();
  if (after < page.size() && page[after] == '\n') ++after;
  return page.substr(0, begin) + htmlOptions() + page.substr(after);
}

// The manual page with its option list (between the two marker lines) made anew.
std::optional<std::string> withManOptions(const std::string& page) {
  const std::size_t begin = page.find(manMarker);
  const std::size_t end = page.find(manEndMarker);
  if (begin == std::string::npos || end == std::string::npos || end < begin) return std::nullopt;
  std::size_t after = end + manEndMarker.size();
  if (after < page.size() && page[after] == '\n') ++after;
  return page.substr(0, begin) + std::string(manMarker) + "\n" + manOptions() + std::string(manEndMarker) +
         "\n" + page.substr(after);
}

int run(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "man" && argc == 4) {
    const auto page = readFile(argv[2]);
    if (!page) return fail(std::string(argv[2]) + ": cannot be read");
    const auto made = withManOptions(*page);
    if (!made) return fail(std::string(argv[2]) + ": has no option list between its marker lines");
    return writeFile(argv[3], *made) ? 0 : fail(std::string(argv[3]) + ": cannot be written");
  }
  if ((command == "check-man" || command == "update-man") && argc == 3) {
    const auto page = readFile(argv[2]);
    if (!page) return fail(std::string(argv[2]) + ": cannot be read");
    const auto made = withManOptions(*page);
    if (!made) return fail(std::string(argv[2]) + ": has no option list between its marker lines");
    if (command == "update-man")
      return writeFile(argv[2], *made) ? 0 : fail(std::string(argv[2]) + ": cannot be written");
    if (*made == *page) return 0;
    return fail(std::string(argv[2]) +
                ": its option list is not the program's; run option_pages update-man " + argv[2]);
  }
  if ((command == "check-html" || command == "update-html") && argc == 3) {
    const auto page = readFile(argv[2]);
    if (!page) return fail(std::string(argv[2]) + ": cannot be read");
    const auto made = withHtmlOptions(*page);
    if (!made) return fail(std::string(argv[2]) + ": has no option table between its marker lines");
    if (command == "update-html")
      return writeFile(argv[2], *made) ? 0 : fail(std::string(argv[2]) + ": cannot be written");
    if (*made == *page) return 0;
    return fail(std::string(argv[2]) +
                ": its option table is not the program's; run option_pages update-html " + argv[2]);
  }
  std::cerr << "usage: option_pages man TEMPLATE OUTPUT | check-man TEMPLATE | update-man TEMPLATE | "
               "check-html PAGE | update-html PAGE\n";
  return 2;
}

}  // namespace
}  // namespace zelvato

int main(int argc, char** argv) {
  return zelvato::run(argc, argv);
}
