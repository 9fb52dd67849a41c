#include "platform/key_script.h"

#include <charconv>
#include <cstdio>

#include "platform/text.h"

namespace platform {
namespace {

bool ParseInt(std::string_view s, int& v) {
  const char* b = s.data();
  const char* e = s.data() + s.size();
  if (b != e && *b == '+') ++b;
  auto [p, ec] = std::from_chars(b, e, v);
  return ec == std::errc() && p == e && b != e;
}

// Splits "a b c" at blanks.
std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> w;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    std::size_t j = i;
    while (j < s.size() && s[j] != ' ') ++j;
    if (j > i) w.push_back(s.substr(i, j - i));
    i = j;
  }
  return w;
}

struct NamedKey {
  const char* name;
  int vk;
};
constexpr NamedKey kKeys[] = {{"Left", kVkLeft},   {"Right", kVkRight}, {"Up", kVkUp},
                              {"Down", kVkDown},   {"PgUp", kVkPrior},  {"PgDn", kVkNext},
                              {"Home", kVkHome},   {"End", kVkEnd},     {"Delete", kVkDelete},
                              {"F1", kVkF1},       {"Insert", kVkInsert}};

Event CharEvent(unsigned char c) {
  Event e;
  e.kind = EventKind::kChar;
  e.ch = c;
  return e;
}

class Parser {
 public:
  Parser(KeyScript& script, std::string& error) : script_(script), error_(error) {}

  bool Run(std::string_view text) {
    script_.groups.clear();
    script_.type_ahead = false;
    std::size_t i = 0;
    bool first_item = true;
    while (i < text.size()) {
      const char c = text[i];
      if (c == '{') {
        const auto close = text.find('}', i + 1);
        if (close == std::string_view::npos) return Fail("unclosed '{' in key script");
        const std::string_view body = text.substr(i + 1, close - i - 1);
        i = close + 1;
        if (body == "+") {
          if (first_item) script_.type_ahead = true;
          join_ = true;
          continue;
        }
        if (!Braced(body)) return false;
      } else if (c == '\\') {
        if (i + 1 >= text.size()) return Fail("key script ends in '\\'");
        const char n = text[i + 1];
        i += 2;
        unsigned char b = 0;
        switch (n) {
          case 'r': b = 13; break;
          case 'e': b = 27; break;
          case 't': b = 9; break;
          case 'b': b = 8; break;
          case '\\': b = '\\'; break;
          case '{': b = '{'; break;
          case 'x': {
            if (i + 2 > text.size()) return Fail("key script: \\x needs two hex digits");
            unsigned v = 0;
            auto [p, ec] = std::from_chars(text.data() + i, text.data() + i + 2, v, 16);
            if (ec != std::errc() || p != text.data() + i + 2)
              return Fail("key script: \\x needs two hex digits");
            b = static_cast<unsigned char>(v);
            i += 2;
            break;
          }
          default:
            return Fail(std::string("unknown key script escape '\\") + n + "'");
        }
        Input({CharEvent(b)});
      } else {
        const std::size_t start = i;
        const char32_t u = DecodeUtf8(text, i);
        const int b = UnicodeToCp1251(u);
        if (u == 0xFFFD || b < 0)
          return Fail("key script character '" + std::string(text.substr(start, i - start)) +
                      "' has no code page 1251 byte");
        Input({CharEvent(static_cast<unsigned char>(b))});
      }
      first_item = false;
    }
    if (!pending_.events.empty()) script_.groups.push_back(std::move(pending_));
    return true;
  }

 private:
  bool Fail(std::string msg) {
    error_ = std::move(msg);
    return false;
  }

  // An item that gives input: it ends its group unless {+} follows.
  void Input(std::vector<Event> events) {
    if (!join_ && open_input_) {
      script_.groups.push_back(std::move(pending_));
      pending_ = {};
    }
    for (auto& e : events) pending_.events.push_back(std::move(e));
    open_input_ = true;
    join_ = false;
  }

  // {shot} and {resize}: no input; they go with the next item.
  void NoInput(Event e) {
    if (!join_ && open_input_) {
      script_.groups.push_back(std::move(pending_));
      pending_ = {};
      open_input_ = false;
    }
    pending_.events.push_back(std::move(e));
    join_ = false;
  }

  bool Point(std::string_view item, const std::vector<std::string_view>& w, int& x, int& y) {
    if (w.size() != 3 || !ParseInt(w[1], x) || !ParseInt(w[2], y) || x < 0 || y < 0 ||
        x > 65535 || y > 65535)
      return Fail("bad key script item '{" + std::string(item) + "}': needs X Y");
    return true;
  }

  bool Braced(std::string_view body) {
    const auto w = Words(body);
    if (w.empty()) return Fail("empty key script item '{}'");
    const std::string_view head = w[0];
    if (head == "click" || head == "rclick" || head == "mclick") {
      int x = 0, y = 0;
      if (!Point(body, w, x, y)) return false;
      Event move;
      move.kind = EventKind::kMouseMove;
      move.x = x;
      move.y = y;
      Event press = move;
      if (head == "click") {
        press.kind = EventKind::kLeftDown;
        press.buttons = kMkLButton;
      } else if (head == "rclick") {
        press.kind = EventKind::kRightDown;
        press.buttons = kMkRButton;
      } else {
        press.kind = EventKind::kMiddleDown;
        press.buttons = kMkMButton;
      }
      Input({move, press});
      return true;
    }
    if (head == "move") {
      Event move;
      move.kind = EventKind::kMouseMove;
      if (!Point(body, w, move.x, move.y)) return false;
      Input({move});
      return true;
    }
    if (head == "wheel") {
      int n = 0;
      if (w.size() != 2 || !ParseInt(w[1], n) || n == 0 || n < -1000 || n > 1000)
        return Fail("bad key script item '{" + std::string(body) + "}': needs N (1..1000 or -1..-1000)");
      std::vector<Event> ev;
      for (int k = 0; k < (n < 0 ? -n : n); ++k) {
        Event e;
        e.kind = EventKind::kWheel;
        e.delta = n > 0 ? 120 : -120;
        ev.push_back(e);
      }
      Input(std::move(ev));
      return true;
    }
    if (head == "resize") {
      Event e;
      e.kind = EventKind::kSize;
      if (w.size() != 3 || !ParseInt(w[1], e.w) || !ParseInt(w[2], e.h) || e.w < 320 ||
          e.w > 8192 || e.h < 240 || e.h > 8192)
        return Fail("bad key script item '{" + std::string(body) +
                    "}': needs W H (320..8192 by 240..8192)");
      NoInput(e);
      return true;
    }
    if (head == "shot") {
      Event e;
      e.kind = EventKind::kShot;
      const auto p = body.find(' ');
      if (p == std::string_view::npos || body.find_first_not_of(' ', p) == std::string_view::npos)
        return Fail("bad key script item '{" + std::string(body) + "}': needs a file name");
      e.text = std::string(body.substr(body.find_first_not_of(' ', p)));
      NoInput(e);
      return true;
    }
    if (w.size() == 1 && (head == "close-yes" || head == "close-no")) {
      Event e;
      e.kind = EventKind::kClose;
      e.quit_answer = head == "close-yes" ? 1 : 2;
      Input({e});
      return true;
    }
    if (w.size() != 1) return Fail("unknown key script item '{" + std::string(body) + "}'");
    // Keys with ctrl+ and shift+ prefixes.
    std::string_view rest = head;
    bool ctrl = false, shift = false;
    for (;;) {
      if (rest.substr(0, 5) == "ctrl+" && !ctrl) {
        ctrl = true;
        rest.remove_prefix(5);
      } else if (rest.substr(0, 6) == "shift+" && !shift) {
        shift = true;
        rest.remove_prefix(6);
      } else {
        break;
      }
    }
    for (const auto& k : kKeys) {
      if (rest == k.name) {
        Event e;
        e.kind = EventKind::kKeyDown;
        e.vk = k.vk;
        e.ctrl = ctrl;
        e.shift = shift;
        Input({e});
        return true;
      }
    }
    if (ctrl && !shift && rest.size() == 1 && rest[0] >= 'a' && rest[0] <= 'z') {
      Input({CharEvent(static_cast<unsigned char>(rest[0] - 'a' + 1))});
      return true;
    }
    return Fail("unknown key script item '{" + std::string(body) + "}'");
  }

  KeyScript& script_;
  std::string& error_;
  ScriptGroup pending_;
  bool open_input_ = false;  // pending_ holds an input item
  bool join_ = false;        // {+} was just seen
};

}  // namespace

bool ParseKeyScript(std::string_view text, KeyScript& script, std::string& error) {
  Parser p(script, error);
  return p.Run(text);
}

}  // namespace platform
