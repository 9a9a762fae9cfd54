// The main dialog's side of the control pipe: the server started with the window, and each
// request answered on the window thread with the same commands the tray menu runs, under
// the same policies. Nothing here ends a rest early: the question stays the only way out.
#include <memory>

#include "control/control_protocol.h"
#include "control/pipe_identity.h"
#include "control/pipe_server.h"
#include "framework/resources.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "messages.h"
#include "hours/hours_clock.h"
#include "policy/policy_table.h"

namespace {

using control::Bytes;
using control::Command;

control::Language windowLanguage() {
    return fw::resourceLanguage() == fw::kChineseResources ? control::Language::Chinese : control::Language::English;
}

// The policy that forbids `command` as it forbids the same tray command; null when none does.
const char16_t* forbiddingPolicy(Command command) {
    policy::Id id;
    switch (command) {
    case Command::Delay: id = policy::Id::AllowDelays; break;
    case Command::SkipToday: id = policy::Id::AllowSkipToday; break;
    case Command::Pause: id = policy::Id::AllowPause; break;
    default: return nullptr;  // status, rest-now, resume and exit are always allowed
    }
    return theApp.m_policies.allows(id) ? nullptr : policy::definition(id).valueName;
}

// A policy's name, ASCII, in a buffer of the caller's.
struct PolicyName {
    char text[32] = {};
    explicit PolicyName(const char16_t* name) {
        for (unsigned i = 0; i + 1 < sizeof text && name[i]; ++i) text[i] = static_cast<char>(name[i]);
    }
};

const char* heldName(hold::Reason reason) {
    switch (reason) {
    case hold::Reason::Call: return "call";
    case hold::Reason::Camera: return "camera";
    case hold::Reason::Presentation: return "presentation";
    case hold::Reason::None: break;
    }
    return nullptr;
}

// The end of a pause as minutes after midnight, as the status window shows it.
int minuteOfDay(const kiv::Time& until) {
    hours::LocalTime local;
    int second = 0;
    return hours::localTimeOf(until, local, second) ? local.minute % 1440 : 0;
}

Bytes statusOf(const CkivToolDlg& dlg) {
    control::Status s;
    s.worked = dlg.m_clock.m_workElapsed.size();
    s.rest = dlg.m_clock.m_restLength.size();
    s.homeMode = theApp.m_settings.homeMode;
    if (!dlg.m_clock.m_working) {
        s.state = control::State::Resting;
        s.left = (dlg.m_clock.m_restLength - dlg.m_clock.m_restElapsed).size();
    } else {
        s.left = dlg.RemainingWork().size();
        if (dlg.m_clock.isPaused()) {
            s.state = control::State::Paused;
            s.pausedUntil = minuteOfDay(dlg.m_clock.pausedUntil());
        } else if (dlg.isOutsideWorkingHours()) {
            s.state = control::State::Outside;
        } else if (dlg.isRestHeld()) {
            s.state = control::State::Held;
            s.held = heldName(dlg.m_clock.holdReason());
        }
    }
    std::vector<PolicyName> names;
    names.reserve(policy::kPolicyCount);  // the pointers below stay valid
    for (const policy::Definition& def : policy::kPolicies)
        if (theApp.m_policies.isSet(def.id)) {
            names.emplace_back(def.valueName);
            s.managed.push_back(names.back().text);
        }
    return control::renderStatus(windowLanguage(), s);
}

Bytes answer(CkivToolDlg& dlg, const control::Request& request) {
    const control::Language language = windowLanguage();
    if (const char16_t* policyName = forbiddingPolicy(request.command))
        return control::renderResult(language, control::Error::Policy, PolicyName(policyName).text);
    switch (request.command) {
    case Command::Status:
        return statusOf(dlg);
    case Command::Delay:
        if (!dlg.m_clock.canDelay()) return control::renderResult(language, control::Error::NotNow);
        if (request.delay == control::DelayKind::Preset) dlg.OnDelayPresetTime();
        else dlg.OnDelayFiveMinutes();
        break;
    case Command::SkipToday:
        dlg.OnSkipToday();
        break;
    case Command::RestNow:
        // As if it were due, without its notice; a rest already running goes on.
        if (dlg.m_clock.m_working) dlg.StartRest();
        break;
    case Command::Exit:
        // As the installer's exit request, which it is: a rest that may not be cut short
        // (AllowEarlyUnlock=0) runs to its end first. Posted: the answer leaves first.
        ::PostMessageW(dlg.m_hWnd, g_exitRequestMsg, 0, 0);
        break;
    case Command::Pause:
        // Not during a rest: a pause never cuts one short.
        if (!dlg.PauseBreaks(request.pause)) return control::renderResult(language, control::Error::NotNow);
        break;
    case Command::Resume:
        dlg.ResumeBreaks();
        break;
    }
    return control::renderResult(language, control::Error::None);
}

}  // namespace

void CkivToolDlg::StartControlPipe() {
    m_controlPipe = std::make_unique<control::PipeServer>(m_hWnd, WM_CONTROL);
    const control::WideText sid = control::sidText(control::currentUserSid());
    const control::WideText name = control::currentPipeName();
    if (sid.empty() || name.empty()) return;
    // Said once, when the tray icon is there; the program runs on without the pipe.
    if (m_controlPipe->start(name.data(), sid.data()) == control::PipeServer::Start::NameTaken)
        ::PostMessageW(m_hWnd, WM_CONTROL, kControlPipeTaken, 0);
}

void CkivToolDlg::StopControlPipe() { m_controlPipe.reset(); }

void CkivToolDlg::OnControl(WPARAM kind, LPARAM lParam) {
    if (!m_controlPipe) return;
    if (kind == kControlPipeTaken) {
        // Only when it is so: the same message from another program says nothing.
        if (!m_controlPipe->isServing()) ShowBalloon(fw::loadString(IDS_PIPE_TAKEN).c_str());
        return;
    }
    if (control::ExchangeHold exchange = m_controlPipe->take(lParam))
        exchange->answer(answer(*this, exchange->request()));
}
