#include "hosts/mentalray/declaration.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

#include "hosts/mentalray/error.h"

namespace mrhost {

int typeSize(ParamType type) {
  switch (type) {
    case ParamType::Color:
      return 16;
    case ParamType::Vector:
      return 12;
    default:
      return 4;
  }
}

const ParamDecl* ShaderDecl::find(std::string_view paramName) const {
  for (const ParamDecl& param : params)
    if (param.name == paramName) return &param;
  return nullptr;
}

namespace {

struct Token {
  enum Kind { Word, String, Number, Punct, End } kind = End;
  std::string text;
  int line = 0;
};

class Parser {
 public:
  Parser(std::string_view text, const std::string& source) : text_(text), source_(source) {
    advance();
  }

  std::vector<ShaderDecl> file() {
    std::vector<ShaderDecl> decls;
    while (token_.kind != Token::End) {
      expectWord("declare");
      if (!isWord("shader")) fail("expected 'shader' after 'declare', found " + describe());
      advance();
      decls.push_back(shader());
      expectWord("end");
      expectWord("declare");
    }
    return decls;
  }

 private:
  ShaderDecl shader() {
    ShaderDecl decl;
    decl.source = source_;
    decl.line = token_.line;
    if (token_.kind != Token::Word) fail("expected the result type, found " + describe());
    decl.result = type(token_.text);
    advance();
    decl.name = string("the shader name");
    expectPunct("(");
    int offset = 0;
    if (!isPunct(")")) {
      while (true) {
        ParamDecl param = parameter();
        if (decl.find(param.name)) fail("parameter \"" + param.name + "\" declared twice");
        param.offset = offset;
        offset += param.isArray ? 8 + typeSize(param.type) : typeSize(param.type);
        decl.params.push_back(std::move(param));
        if (isPunct(")")) break;
        expectPunct(",");
      }
    }
    advance();
    decl.blockSize = offset;
    while (isWord("version") || isWord("apply")) {
      if (isWord("version")) {
        advance();
        decl.version = static_cast<int>(integer("the version"));
      } else {
        advance();
        do {
          if (isPunct(",")) advance();
          if (token_.kind != Token::Word) fail("expected a shader kind after 'apply'");
          decl.apply.push_back(token_.text);
          advance();
        } while (isPunct(","));
      }
    }
    if (decl.params.empty()) fail("shader \"" + decl.name + "\" declares no parameters");
    return decl;
  }

  ParamDecl parameter() {
    ParamDecl param;
    param.line = token_.line;
    if (isWord("array")) {
      param.isArray = true;
      advance();
    }
    if (token_.kind != Token::Word) fail("expected a parameter type, found " + describe());
    param.type = type(token_.text);
    advance();
    param.name = string("the parameter name");
    if (!isWord("default")) return param;
    advance();
    if (param.isArray) fail("array parameter \"" + param.name + "\" cannot have a default");
    switch (param.type) {
      case ParamType::Color:
        for (int i = 0; i < 3; ++i) param.defaults.push_back(number("a colour component"));
        param.defaults.push_back(token_.kind == Token::Number ? number("alpha") : 1.0);
        break;
      case ParamType::Vector:
        for (int i = 0; i < 3; ++i) param.defaults.push_back(number("a vector component"));
        break;
      case ParamType::Scalar:
        param.defaults.push_back(number("a scalar"));
        break;
      case ParamType::Integer:
        param.defaults.push_back(static_cast<double>(integer("an integer")));
        break;
      case ParamType::Boolean:
        param.defaults.push_back(boolean());
        break;
      case ParamType::Light:
        fail("light parameter \"" + param.name + "\" cannot have a default");
    }
    return param;
  }

  ParamType type(const std::string& word) {
    if (word == "color") return ParamType::Color;
    if (word == "vector") return ParamType::Vector;
    if (word == "scalar") return ParamType::Scalar;
    if (word == "boolean") return ParamType::Boolean;
    if (word == "integer") return ParamType::Integer;
    if (word == "light") return ParamType::Light;
    fail("unknown type '" + word + "'");
  }

  std::string string(const char* what) {
    if (token_.kind != Token::String)
      fail(std::string("expected ") + what + ", found " + describe());
    std::string value = token_.text;
    advance();
    return value;
  }

  double number(const char* what) {
    if (token_.kind != Token::Number)
      fail(std::string("expected ") + what + ", found " + describe());
    char* end = nullptr;
    const double value = std::strtod(token_.text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) fail("'" + token_.text + "' is not a number");
    // Every number read here fills a float field, and converting a double
    // beyond the float range is undefined.
    if (std::fabs(value) > std::numeric_limits<float>::max())
      fail("'" + token_.text + "' is beyond the range of a float");
    advance();
    return value;
  }

  long integer(const char* what) {
    if (token_.kind != Token::Number)
      fail(std::string("expected ") + what + ", found " + describe());
    char* end = nullptr;
    const long value = std::strtol(token_.text.c_str(), &end, 10);
    if (*end != '\0' || value > 2147483647L || value < -2147483647L - 1)
      fail("'" + token_.text + "' is not an integer");
    advance();
    return value;
  }

  double boolean() {
    const std::string word = token_.text;
    if (word == "on" || word == "true" || word == "1") {
      advance();
      return 1.0;
    }
    if (word == "off" || word == "false" || word == "0") {
      advance();
      return 0.0;
    }
    fail("expected on or off, found " + describe());
  }

  void expectWord(const char* word) {
    if (!isWord(word)) fail(std::string("expected '") + word + "', found " + describe());
    advance();
  }
  void expectPunct(const char* punct) {
    if (!isPunct(punct)) fail(std::string("expected '") + punct + "', found " + describe());
    advance();
  }
  bool isWord(const char* word) const { return token_.kind == Token::Word && token_.text == word; }
  bool isPunct(const char* punct) const {
    return token_.kind == Token::Punct && token_.text == punct;
  }

  std::string describe() const {
    switch (token_.kind) {
      case Token::End:
        return "the end of the file";
      case Token::String:
        return "\"" + token_.text + "\"";
      default:
        return "'" + token_.text + "'";
    }
  }

  static bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  }

  // A character of the file as a message may show it: control characters and
  // bytes outside ASCII (a lone byte of a UTF-8 sequence) as \xNN.
  static std::string printable(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (isControl(c) || byte > 0x7e) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
      } else {
        out += c;
      }
    }
    return out;
  }

  [[noreturn]] void fail(const std::string& message) const {
    throw Error(source_ + ":" + std::to_string(token_.line) + ": " + message);
  }

  void advance() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (c == '#') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
    token_ = Token{};
    token_.line = line_;
    if (pos_ >= text_.size()) return;
    const char c = text_[pos_];
    if (c == '"') {
      const std::size_t close = text_.find_first_of("\"\n", pos_ + 1);
      if (close == std::string_view::npos || text_[close] != '"') fail("unterminated string");
      // Names travel into messages and symbol lookups: a carriage return or a
      // terminal escape inside one would break the one-line report.
      for (std::size_t i = pos_ + 1; i < close; ++i)
        if (isControl(text_[i]))
          fail("control character '" + printable(text_.substr(i, 1)) + "' in a string");
      token_.kind = Token::String;
      token_.text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      const std::size_t start = pos_;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
        ++pos_;
      token_.kind = Token::Word;
      token_.text = std::string(text_.substr(start, pos_ - start));
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
      const std::size_t start = pos_;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
              std::string_view("+-.").find(text_[pos_]) != std::string_view::npos))
        ++pos_;
      token_.kind = Token::Number;
      token_.text = std::string(text_.substr(start, pos_ - start));
    } else if (c == '(' || c == ')' || c == ',') {
      token_.kind = Token::Punct;
      token_.text = std::string(1, c);
      ++pos_;
    } else {
      token_.text = std::string(1, c);
      fail("unexpected character '" + printable(token_.text) + "'");
    }
  }

  std::string_view text_;
  const std::string& source_;
  std::size_t pos_ = 0;
  int line_ = 1;
  Token token_;
};

}  // namespace

std::vector<ShaderDecl> parseDeclarations(std::string_view text, const std::string& source) {
  return Parser(text, source).file();
}

std::vector<ShaderDecl> readDeclarationFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(path + ": cannot open the shader declaration");
  std::ostringstream text;
  text << in.rdbuf();
  return parseDeclarations(text.str(), path);
}

const ShaderDecl& findDeclaration(const std::vector<ShaderDecl>& decls, std::string_view name) {
  for (const ShaderDecl& decl : decls)
    if (decl.name == name) return decl;
  const std::string source = decls.empty() ? std::string("declarations") : decls.front().source;
  throw Error(source + ": no shader \"" + std::string(name) + "\" is declared");
}

}  // namespace mrhost
