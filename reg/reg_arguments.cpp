#include <strings.h>

#include <cstdarg>
#include <cstdio>

#include "reg/messages.h"
#include "reg/reg_tool.h"

namespace {

struct SwitchWord {
    const char* word;
    RegSwitch flag;
    bool takesWord;
};

const SwitchWord kSwitchWords[] = {
    {"/v", kNameSwitch, true}, {"/ve", kNameSwitch, false}, {"/t", kTypeSwitch, true},
    {"/d", kDataSwitch, true}, {"/f", kForceSwitch, false},
};

const SwitchWord* FindSwitch(const std::string& word) {
    for (const SwitchWord& candidate : kSwitchWords) {
        if (strcasecmp(word.c_str(), candidate.word) == 0) return &candidate;
    }
    return nullptr;
}

std::optional<std::string>* SlotOf(RegSwitch flag, RegArguments* arguments) {
    if (flag == kNameSwitch) return &arguments->name;
    return flag == kTypeSwitch ? &arguments->type : &arguments->data;
}

}  // namespace

bool ScanArguments(const char* verb, const std::vector<std::string>& words, unsigned allowed,
                   RegArguments* arguments) {
    unsigned seen = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const SwitchWord* found = FindSwitch(words[i]);
        if (!found) {
            arguments->operands.push_back(words[i]);
            continue;
        }
        const char* word = words[i].c_str();
        if (!(allowed & found->flag)) {
            Fail(reg_text::kSwitchNotAllowed, word, verb);
            return false;
        }
        if (seen & found->flag) {
            Fail(reg_text::kSwitchTwice, word);
            return false;
        }
        seen |= found->flag;
        if (found->flag == kForceSwitch) {
            arguments->force = true;
        } else if (!found->takesWord) {
            *SlotOf(found->flag, arguments) = "";
        } else if (i + 1 < words.size()) {
            *SlotOf(found->flag, arguments) = words[++i];
        } else {
            Fail(reg_text::kSwitchNeedsWord, word);
            return false;
        }
    }
    return true;
}

namespace {

void SayOnStandardError(const char* format, va_list args) {
    std::fputs(reg_text::kErrorPrefix, stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

}  // namespace

int Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SayOnStandardError(format, args);
    va_end(args);
    return 1;
}

void Warn(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SayOnStandardError(format, args);
    va_end(args);
}

int Report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    std::putchar('\n');
    va_end(args);
    return 0;
}
