#include "kivctl_texts.h"

namespace kivctl {
namespace {

struct Pair {
    const wchar_t* chinese;
    const wchar_t* english;
};

const Pair kTexts[] = {
    {L"用法：kivctl 命令\r\n"
     L"  status [--json]          显示 kivTool 的状态\r\n"
     L"  pause 30m|1h|2h|until-tomorrow|分钟数\r\n"
     L"                           暂停休息提醒\r\n"
     L"  resume                   继续休息提醒\r\n"
     L"  rest-now                 现在休息\r\n"
     L"  delay 5m|preset          推迟下次休息\r\n"
     L"  skip-today               今天不再休息\r\n"
     L"  exit                     退出 kivTool\r\n"
     L"  export 文件.csv          把休息记录导出为 CSV\r\n"
     L"退出码：0 完成，1 被拒绝，2 kivTool 没有运行，3 用法错误\r\n",
     L"Usage: kivctl COMMAND\r\n"
     L"  status [--json]          what kivTool is doing\r\n"
     L"  pause 30m|1h|2h|until-tomorrow|MINUTES\r\n"
     L"                           pause the breaks\r\n"
     L"  resume                   resume the breaks\r\n"
     L"  rest-now                 take a rest now\r\n"
     L"  delay 5m|preset          put the next rest off\r\n"
     L"  skip-today               no more breaks today\r\n"
     L"  exit                     end kivTool\r\n"
     L"  export FILE.csv          write the rest history as CSV\r\n"
     L"Exit codes: 0 done, 1 refused, 2 kivTool is not running, 3 bad usage\r\n"},
    {L"kivTool 没有在此用户的此会话中运行。\r\n", L"kivTool is not running for this user in this session.\r\n"},
    {L"kivTool 的管道被另一用户的程序占用，没有发送任何命令。\r\n",
     L"The pipe of kivTool is held by another user's program; nothing was sent.\r\n"},
    {L"kivTool 的回答无法识别。\r\n", L"kivTool gave an answer kivctl does not understand.\r\n"},
    {L"已拒绝：你的组织的策略 %s 不允许此操作。\r\n",
     L"Refused: your organization's policy %s does not allow this.\r\n"},
    {L"现在无法执行此操作。\r\n", L"This cannot be done right now.\r\n"},
    {L"已将休息记录导出到 %s。\r\n", L"Exported the rest history to %s.\r\n"},
    {L"无法写入 %s。\r\n", L"Could not write %s.\r\n"},
    {L"在 kivctl.exe 旁边找不到 kivTool.exe。\r\n", L"kivTool.exe was not found beside kivctl.exe.\r\n"},
};
static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == static_cast<int>(Text::kCount), "a text for every id");

}  // namespace

const wchar_t* text(control::Language language, Text id) {
    const Pair& pair = kTexts[static_cast<int>(id)];
    return language == control::Language::Chinese ? pair.chinese : pair.english;
}

}  // namespace kivctl
