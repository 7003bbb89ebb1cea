// What Maya's mental ray integration reads from a declaration's "#:"
// comments, which mental ray itself skips: after a parameter (after its
// comma; the last parameter has none), any of default, min, max (one to
// three numbers), softmin, softmax (one number), shortname "name" and
// hidden on|off; in the requirement section beside version and apply,
// nodeid N. Maya reports a keyword in a wrong place or with bad syntax with
// its line, and so does this reader, as "<source>:<line>: <what is wrong>".
#pragma once

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mrtest {

struct MayaKeywords {
  std::optional<unsigned long> nodeId;
  // parameter -> keyword -> its values (a short name without its quotes)
  std::map<std::string, std::map<std::string, std::vector<std::string>>> params;
};

namespace detail {

inline bool isNumber(const std::string& word) {
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  return !word.empty() && *end == '\0' && std::isfinite(value);
}

inline bool isName(const std::string& word) {
  if (word.empty() || !(std::isalpha(static_cast<unsigned char>(word[0])) || word[0] == '_'))
    return false;
  for (const char c : word)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

}  // namespace detail

// The keywords of every shader declared in `text`, by shader name.
inline std::map<std::string, MayaKeywords> readMayaKeywords(std::string_view text,
                                                            const std::string& source) {
  enum class Place { Outside, Header, Parameters, Requirements, End } place = Place::Outside;
  std::map<std::string, MayaKeywords> shaders;
  MayaKeywords* shader = nullptr;
  std::string parameter;  // the parameter being read, once its name is seen
  std::string finished;   // the parameter whose comma was the last thing read
  std::vector<std::pair<std::string, int>> beforeComma;  // "#:" comments of `parameter`
  const std::string requirements;  // the owner of a comment in the requirement section
  int line = 1;

  const auto fail = [&](int at, const std::string& what) {
    throw std::runtime_error(source + ":" + std::to_string(at) + ": " + what);
  };
  // `owner` is the parameter the comment follows, empty in the requirement
  // section; nullptr where neither kind of keyword may stand.
  const auto readComment = [&](std::string_view comment, int at, const std::string* owner) {
    std::vector<std::string> words;  // a quoted word keeps its quotes
    for (std::size_t k = 0; k < comment.size();) {
      if (std::isspace(static_cast<unsigned char>(comment[k]))) {
        ++k;
      } else if (comment[k] == '"') {
        const std::size_t close = comment.find('"', k + 1);
        if (close == std::string_view::npos) fail(at, "unterminated string");
        words.emplace_back(comment.substr(k, close + 1 - k));
        k = close + 1;
      } else {
        std::size_t end = k;
        while (end < comment.size() && !std::isspace(static_cast<unsigned char>(comment[end])))
          ++end;
        words.emplace_back(comment.substr(k, end - k));
        k = end;
      }
    }
    for (std::size_t w = 0; w < words.size();) {
      const std::string key = words[w++];
      const auto numbers = [&](std::size_t most, const char* need) {
        std::vector<std::string> values;
        while (w < words.size() && values.size() < most && detail::isNumber(words[w]))
          values.push_back(words[w++]);
        if (values.empty()) fail(at, "'" + key + "' needs " + need);
        return values;
      };
      std::vector<std::string> values;
      if (key == "default" || key == "min" || key == "max") {
        values = numbers(3, "one to three numbers");
      } else if (key == "softmin" || key == "softmax") {
        values = numbers(1, "a number");
      } else if (key == "shortname") {
        const std::string name = w < words.size() && words[w].size() > 2 && words[w][0] == '"'
                                     ? words[w].substr(1, words[w].size() - 2)
                                     : std::string();
        if (!detail::isName(name)) fail(at, "'shortname' needs an attribute name in quotes");
        values = {name};
        ++w;
      } else if (key == "hidden") {
        if (w == words.size() || (words[w] != "on" && words[w] != "off"))
          fail(at, "'hidden' needs on or off");
        values = {words[w++]};
      } else if (key == "nodeid") {
        const std::string id = w < words.size() ? words[w] : std::string();
        if (id.empty() || id.size() > 10 ||
            id.find_first_not_of("0123456789") != std::string::npos ||
            std::stoull(id) > 0xffffffffULL)
          fail(at, "'nodeid' needs a decimal number of at most 32 bits");
        ++w;
        if (!owner || !owner->empty()) fail(at, "'nodeid' belongs in the requirement section");
        if (shader->nodeId) fail(at, "'nodeid' given twice");
        shader->nodeId = std::stoul(id);
        continue;
      } else {
        fail(at, "expected a Maya keyword, found '" + key + "'");
      }
      if (!owner) fail(at, "'" + key + "' follows no parameter");
      if (owner->empty())
        fail(at, "'" + key + "' belongs after a parameter, not among the requirements");
      if (!shader->params[*owner].emplace(key, values).second)
        fail(at, "'" + key + "' given twice for \"" + *owner + "\"");
    }
  };

  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      line += c == '\n';
      ++i;
      continue;
    }
    if (c == '#') {
      const std::size_t end = std::min(text.find('\n', i), text.size());
      if (text.substr(i, 2) == "#:") {
        const std::string_view comment = text.substr(i + 2, end - i - 2);
        if (place == Place::Parameters && !finished.empty())
          readComment(comment, line, &finished);
        else if (place == Place::Parameters && !parameter.empty())
          beforeComma.emplace_back(comment, line);
        else
          readComment(comment, line, place == Place::Requirements ? &requirements : nullptr);
      }
      i = end;
      continue;
    }
    std::string token(1, c);
    if (c == '"') {
      const std::size_t close = std::min(text.find('"', i + 1), text.size() - 1);
      token = std::string(text.substr(i, close + 1 - i));
    } else if (c != '(' && c != ')' && c != ',') {
      std::size_t end = i;
      while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) &&
             std::string_view("\"(),#").find(text[end]) == std::string_view::npos)
        ++end;
      token = std::string(text.substr(i, end - i));
    }
    i += token.size();
    const bool name = token.size() > 1 && token[0] == '"';
    if (place == Place::Outside && token == "declare") {
      place = Place::Header;
      shader = nullptr;
    } else if (place == Place::Header && name && !shader) {
      shader = &shaders[token.substr(1, token.size() - 2)];
    } else if (place == Place::Header && token == "(" && shader) {
      place = Place::Parameters;
      parameter.clear();
      finished.clear();
    } else if (place == Place::Parameters && (token == "," || token == ")")) {
      // The last parameter has no comma: what follows it belongs to it.
      if (token == "," && !beforeComma.empty())
        fail(beforeComma.front().second,
             "a Maya keyword of \"" + parameter + "\" stands before its comma");
      for (const auto& [comment, at] : beforeComma) readComment(comment, at, &parameter);
      beforeComma.clear();
      finished = token == "," ? parameter : std::string();
      parameter.clear();
      if (token == ")") place = Place::Requirements;
    } else if (place == Place::Parameters) {
      finished.clear();
      if (name && parameter.empty()) parameter = token.substr(1, token.size() - 2);
    } else if (place == Place::Requirements && token == "end") {
      place = Place::End;  // and "declare" next
    } else if (place == Place::End) {
      place = Place::Outside;
    }
  }
  return shaders;
}

}  // namespace mrtest
