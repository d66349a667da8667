#include "store/filter.h"

#include "store/database.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/sjis.h"

#include <algorithm>
#include <cctype>

namespace mivora {

namespace {

// A filter comes from a file another program wrote; these bounds keep a hostile
// one from exhausting the stack or SQLite's limits (its parser stack of 100, its
// expression depth of 1000, its 32766 parameters), far above anything a person
// writes.
constexpr std::size_t kMaxFilterLength = 32 * 1024;
constexpr int kMaxNesting = 32;

enum class TokenKind { End, LeftParen, RightParen, Operator, Text, Integer, Name };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text; // CP932: the operator, the unquoted text, the digits or the name
    bool bracketed = false;
};

bool isNameByte(char c) {
    return !std::isspace(static_cast<unsigned char>(c)) && c != '(' && c != ')' && c != '=' &&
           c != '<' && c != '>' && c != '\'' && c != '"' && c != '[' && c != ']';
}

class Parser {
  public:
    Parser(std::string_view text, const FilterFieldLookup& lookup, const TextOrder& inOrder)
        : text_(text), lookup_(lookup), inOrder_(inOrder) {
        advance();
    }

    SqlFilter parse() {
        if (text_.size() > kMaxFilterLength)
            fail("長すぎます (" + std::to_string(text_.size()) + " バイト、上限 " +
                 std::to_string(kMaxFilterLength) + " バイト)");
        SqlFilter filter;
        filter.where = orExpression(filter);
        if (token_.kind != TokenKind::End)
            fail("余分な文字「" + toUtf8(token_.text) + "」があります");
        return filter;
    }

  private:
    [[noreturn]] void fail(const std::string& why) const {
        throw DatabaseError("フィルタ「" + shownText() + "」を解釈できません: " + why + "。");
    }

    // The filter as a message shows it: a long one cut after its first characters.
    std::string shownText() const {
        constexpr std::size_t kShown = 80;
        std::size_t end = 0;
        while (end < text_.size() && end < kShown)
            end += charLength(text_, end);
        end = std::min(end, text_.size());
        return toUtf8(text_.substr(0, end)) + (end < text_.size() ? "…" : "");
    }

    bool isKeyword(const char* word) const {
        if (token_.kind != TokenKind::Name || token_.bracketed)
            return false;
        std::string lower;
        for (char c : token_.text)
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower == word;
    }

    std::string orExpression(SqlFilter& filter) {
        std::vector<std::string> terms{andExpression(filter)};
        while (isKeyword("or")) {
            advance();
            terms.push_back(andExpression(filter));
        }
        return joined(terms, 0, terms.size(), " OR ");
    }

    std::string andExpression(SqlFilter& filter) {
        std::vector<std::string> terms{notExpression(filter)};
        while (isKeyword("and")) {
            advance();
            terms.push_back(notExpression(filter));
        }
        return joined(terms, 0, terms.size(), " AND ");
    }

    // Terms joined as a balanced tree, so that a long chain stays shallow for SQLite
    // and is built in n log n instead of copying the growing text once per term.
    static std::string joined(const std::vector<std::string>& terms, std::size_t begin,
                              std::size_t end, const char* op) {
        if (end - begin == 1)
            return terms[begin];
        const std::size_t middle = begin + (end - begin) / 2;
        std::string both = "(";
        both += joined(terms, begin, middle, op);
        both += op;
        both += joined(terms, middle, end, op);
        return both + ")";
    }

    std::string notExpression(SqlFilter& filter) {
        if (isKeyword("not")) {
            advance();
            Nested nested(*this);
            return "(NOT " + notExpression(filter) + ")";
        }
        if (token_.kind == TokenKind::LeftParen) {
            advance();
            Nested nested(*this);
            std::string inner = orExpression(filter);
            if (token_.kind != TokenKind::RightParen)
                fail("「)」がありません");
            advance();
            return inner;
        }
        return comparison(filter);
    }

    // Counts the open parentheses and "not"s around the current place.
    class Nested {
      public:
        explicit Nested(Parser& parser) : parser_(parser) {
            if (++parser_.depth_ > kMaxNesting)
                parser_.fail("かっこ・not の入れ子が深すぎます (上限 " +
                             std::to_string(kMaxNesting) + ")");
        }
        ~Nested() { --parser_.depth_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

      private:
        Parser& parser_;
    };

    std::string comparison(SqlFilter& filter) {
        if (token_.kind != TokenKind::Name)
            fail("項目名がありません");
        FilterField field;
        if (!lookup_(token_.text, field))
            fail("項目「" + toUtf8(token_.text) + "」はありません");
        advance();
        if (token_.kind != TokenKind::Operator)
            fail("比較の記号がありません");
        std::string op = token_.text;
        advance();
        if (token_.kind != TokenKind::Text && token_.kind != TokenKind::Integer)
            fail("比較する値がありません");
        Token value = token_;
        advance();
        return field.type == FieldType::Text ? textComparison(filter, field, op, value)
                                             : numberComparison(filter, field, op, value);
    }

    std::string textComparison(SqlFilter& filter, const FilterField& field, const std::string& op,
                               const Token& value) {
        std::string column = quoteName(field.column);
        bool prefix = value.kind == TokenKind::Text && !value.text.empty() &&
                      value.text.back() == '*' && (op == "=" || op == "<>");
        if (prefix) {
            std::string head = toUtf8(value.text.substr(0, value.text.size() - 1));
            filter.parameters.push_back({true, countCharacters(head), {}});
            filter.parameters.push_back({false, 0, head});
            std::string match = "substr(COALESCE(" + column + ",''),1,?) = ?";
            return op == "=" ? "(" + match + ")" : "(NOT " + match + ")";
        }
        filter.parameters.push_back({false, 0, toUtf8(value.text)});
        std::string comparison = "(";
        comparison += inOrder_("COALESCE(" + column + ",'')");
        comparison += " " + op + " ";
        comparison += inOrder_("?");
        return comparison + ")";
    }

    std::string numberComparison(SqlFilter& filter, const FilterField& field, const std::string& op,
                                 const Token& value) {
        long long number = 0;
        if (field.type == FieldType::Flag && value.kind == TokenKind::Text &&
            (value.text == "True" || value.text == "False"))
            number = value.text == "True" ? 1 : 0;
        else if (!parseInteger(value.text, number))
            fail("「" + toUtf8(value.text) + "」は数値ではありません");
        filter.parameters.push_back({true, number, {}});
        // A flag reads 1 or 0, whether the engine keeps it as a number or a boolean.
        std::string column = field.type == FieldType::Flag
                                 ? "CAST(" + quoteName(field.column) + " AS INTEGER)"
                                 : quoteName(field.column);
        return "(COALESCE(" + column + ",0) " + op + " ?)";
    }

    static std::int64_t countCharacters(const std::string& utf8) {
        std::int64_t count = 0;
        for (char c : utf8)
            count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return count;
    }

    void advance() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        token_ = Token{};
        if (pos_ >= text_.size())
            return;
        char c = text_[pos_];
        if (c == '(' || c == ')') {
            token_.kind = c == '(' ? TokenKind::LeftParen : TokenKind::RightParen;
            token_.text = c;
            ++pos_;
        } else if (c == '=' || c == '<' || c == '>') {
            readOperator();
        } else if (c == '\'' || c == '"') {
            readQuoted(c);
        } else if (c == '[') {
            readBracketed();
        } else if (c == ']') {
            fail("「]」の前に「[」がありません");
        } else {
            readWord();
        }
    }

    void readOperator() {
        std::string op(1, text_[pos_++]);
        if (pos_ < text_.size() && op != "=" &&
            (text_[pos_] == '=' || (op == "<" && text_[pos_] == '>')))
            op += text_[pos_++];
        token_.kind = TokenKind::Operator;
        token_.text = op;
    }

    void readQuoted(char quote) {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size())
                fail("引用符が閉じていません");
            std::size_t length = charLength(text_, pos_);
            if (length == 1 && text_[pos_] == quote) {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
                    token_.text += quote;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            token_.text.append(text_.substr(pos_, length));
            pos_ += length;
        }
        token_.kind = TokenKind::Text;
    }

    void readBracketed() {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size())
                fail("「]」がありません");
            std::size_t length = charLength(text_, pos_);
            if (length == 1 && text_[pos_] == ']') {
                ++pos_;
                break;
            }
            token_.text.append(text_.substr(pos_, length));
            pos_ += length;
        }
        token_.kind = TokenKind::Name;
        token_.bracketed = true;
    }

    void readWord() {
        while (pos_ < text_.size()) {
            std::size_t length = charLength(text_, pos_);
            if (length == 1 && !isNameByte(text_[pos_]))
                break;
            token_.text.append(text_.substr(pos_, length));
            pos_ += length;
        }
        long long ignored;
        bool digits = !token_.text.empty() &&
                      token_.text.find_first_not_of("+-0123456789") == std::string::npos;
        token_.kind =
            digits && parseInteger(token_.text, ignored) ? TokenKind::Integer : TokenKind::Name;
    }

    std::string_view text_;
    const FilterFieldLookup& lookup_;
    const TextOrder& inOrder_;
    std::size_t pos_ = 0;
    Token token_;
    int depth_ = 0;
};

} // namespace

SqlFilter parseFilter(std::string_view cp932Text, const FilterFieldLookup& lookup,
                      const TextOrder& inOrder) {
    return Parser(cp932Text, lookup, inOrder).parse();
}

} // namespace mivora
