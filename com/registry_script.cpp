#include "com/registry_script.h"

#include <cctype>

namespace zm::com {
namespace {

struct Token {
  enum class Kind { Word, Quoted, Equals, Open, Close, End } kind = Kind::End;
  std::string text;
  size_t line = 1;
};

class Lexer {
 public:
  explicit Lexer(const std::string& text) : text_(text) {}

  bool Next(Token* token, RegistryScriptError* error) {
    SkipSpace();
    token->line = line_;
    token->text.clear();
    if (pos_ >= text_.size()) {
      token->kind = Token::Kind::End;
      return true;
    }
    char c = text_[pos_];
    if (c == '{' || c == '}' || c == '=') {
      token->kind = c == '{' ? Token::Kind::Open : c == '}' ? Token::Kind::Close : Token::Kind::Equals;
      ++pos_;
      return true;
    }
    if (c == '\'') {
      token->kind = Token::Kind::Quoted;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size()) return Fail(error, "unterminated quoted string");
        char q = text_[pos_++];
        if (q == '\n') ++line_;
        if (q == '\'') {
          if (pos_ < text_.size() && text_[pos_] == '\'') {  // '' is a literal quote
            token->text.push_back('\'');
            ++pos_;
            continue;
          }
          return true;
        }
        token->text.push_back(q);
      }
    }
    token->kind = Token::Kind::Word;
    while (pos_ < text_.size()) {
      char w = text_[pos_];
      if (std::isspace(static_cast<unsigned char>(w)) || w == '{' || w == '}' || w == '=' || w == '\'') break;
      token->text.push_back(w);
      ++pos_;
    }
    return true;
  }

  bool Fail(RegistryScriptError* error, const std::string& message) const {
    if (error) *error = {message, line_};
    return false;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
  }

  const std::string& text_;
  size_t pos_ = 0;
  size_t line_ = 1;
};

bool IEquals(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return i == a.size() && !b[i];
}

class Parser {
 public:
  Parser(const std::string& text, const RegistryReplacements& replacements, RegistryScriptError* error)
      : lexer_(text), replacements_(replacements), error_(error) {}

  std::optional<RegistryScript> Parse() {
    RegistryScript script;
    if (!Advance()) return std::nullopt;
    while (token_.kind != Token::Kind::End) {
      if (token_.kind != Token::Kind::Word) return Fail("expected a root key");
      RegistryRoot root;
      root.root = token_.text;
      if (!Advance()) return std::nullopt;
      if (token_.kind != Token::Kind::Open) return Fail("expected '{' after the root key");
      if (!Advance() || !ParseKeys(&root.keys)) return std::nullopt;
      script.roots.push_back(std::move(root));
    }
    return script;
  }

 private:
  // Parses keys and values up to and including the closing brace.
  bool ParseKeys(std::vector<RegistryKey>* keys, RegistryKey* owner = nullptr) {
    for (;;) {
      if (token_.kind == Token::Kind::Close) return Advance();
      if (token_.kind == Token::Kind::End) return Fail("missing '}'"), false;
      if (token_.kind == Token::Kind::Word && IEquals(token_.text, "val")) {
        if (!owner) return Fail("a named value needs a key"), false;
        if (!Advance()) return false;
        RegistryValue value;
        if (!ParseName(&value.name)) return false;
        if (token_.kind != Token::Kind::Equals) return Fail("expected '=' after the value name"), false;
        if (!Advance() || !ParseValue(&value)) return false;
        owner->values.push_back(std::move(value));
        continue;
      }
      RegistryKey key;
      if (token_.kind == Token::Kind::Word) {
        if (IEquals(token_.text, "NoRemove")) key.removal = KeyRemoval::NoRemove;
        else if (IEquals(token_.text, "ForceRemove")) key.removal = KeyRemoval::ForceRemove;
        else if (IEquals(token_.text, "Delete")) key.removal = KeyRemoval::Delete;
        if (key.removal != KeyRemoval::Normal && !Advance()) return false;
      }
      if (!ParseName(&key.name)) return false;
      if (key.name.empty()) return Fail("empty key name"), false;
      if (token_.kind == Token::Kind::Equals) {
        RegistryValue value;
        if (!Advance() || !ParseValue(&value)) return false;
        key.values.insert(key.values.begin(), std::move(value));
      }
      if (token_.kind == Token::Kind::Open) {
        if (!Advance() || !ParseKeys(&key.subkeys, &key)) return false;
      }
      keys->push_back(std::move(key));
    }
  }

  bool ParseName(std::string* name) {
    if (token_.kind != Token::Kind::Word && token_.kind != Token::Kind::Quoted) return Fail("expected a name"), false;
    if (!Replace(token_.text, name)) return false;
    return Advance();
  }

  bool ParseValue(RegistryValue* value) {
    if (token_.kind != Token::Kind::Word) return Fail("expected a value type"), false;
    std::string type = token_.text;
    if (!Advance()) return false;
    if (token_.kind != Token::Kind::Word && token_.kind != Token::Kind::Quoted) return Fail("expected a value"), false;
    std::string raw;
    if (!Replace(token_.text, &raw)) return false;
    if (IEquals(type, "s")) {
      value->kind = RegistryValue::Kind::String;
      value->text = std::move(raw);
    } else if (IEquals(type, "d")) {
      value->kind = RegistryValue::Kind::Dword;
      if (!ParseNumber(raw, &value->number)) return Fail("bad number '" + raw + "'"), false;
    } else {
      return Fail("unsupported value type '" + type + "'"), false;
    }
    return Advance();
  }

  static bool ParseNumber(const std::string& text, uint32_t* out) {
    if (text.empty()) return false;
    uint64_t n = 0;
    size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) base = 16, i = 2;
    for (; i < text.size(); ++i) {
      int d = std::isdigit(static_cast<unsigned char>(text[i])) ? text[i] - '0'
              : base == 16 && std::isxdigit(static_cast<unsigned char>(text[i]))
                  ? std::tolower(static_cast<unsigned char>(text[i])) - 'a' + 10
                  : -1;
      if (d < 0) return false;
      n = n * base + d;
      if (n > 0xFFFFFFFFu) return false;
    }
    *out = static_cast<uint32_t>(n);
    return true;
  }

  bool Replace(const std::string& in, std::string* out) {
    out->clear();
    for (size_t i = 0; i < in.size(); ++i) {
      if (in[i] != '%') {
        out->push_back(in[i]);
        continue;
      }
      size_t end = in.find('%', i + 1);
      if (end == std::string::npos) return Fail("unterminated replacement in '" + in + "'"), false;
      if (end == i + 1) {
        out->push_back('%');
      } else {
        auto found = replacements_.find(in.substr(i + 1, end - i - 1));
        if (found == replacements_.end()) return Fail("unknown replacement '" + in.substr(i, end - i + 1) + "'"), false;
        out->append(found->second);
      }
      i = end;
    }
    return true;
  }

  bool Advance() { return lexer_.Next(&token_, error_); }

  std::nullopt_t Fail(const std::string& message) {
    if (error_) *error_ = {message, token_.line};
    return std::nullopt;
  }

  Lexer lexer_;
  const RegistryReplacements& replacements_;
  RegistryScriptError* error_;
  Token token_;
};

}  // namespace

std::optional<RegistryScript> ParseRegistryScript(const std::string& text, const RegistryReplacements& replacements,
                                                  RegistryScriptError* error) {
  return Parser(text, replacements, error).Parse();
}

}  // namespace zm::com
