#pragma once

// The command line's requests to the running VoxBench and their answers, as
// they cross the instance socket: the argument of one "command" line is a JSON
// object naming the verb; the answer is one JSON object with "ok" and, on
// failure, "error" and "code". "watch" is answered by a line per change
// instead, until the program ends. Both sides read the names from here.

#include <QLatin1String>

namespace CommandProtocol {

// Request keys.
constexpr QLatin1String kVerb("verb");
constexpr QLatin1String kName("name");
constexpr QLatin1String kTab("tab");
constexpr QLatin1String kOn("on");
constexpr QLatin1String kNewName("new_name");
constexpr QLatin1String kAction("action");
constexpr QLatin1String kStep("step"); // +1 next, -1 previous
constexpr QLatin1String kApplication("application");
constexpr QLatin1String kFile("file");
constexpr QLatin1String kChannel("channel"); // "mode import": "L" or "R"; none: both sides averaged

// Verbs.
constexpr QLatin1String kStatus("status");
constexpr QLatin1String kModes("modes");
constexpr QLatin1String kMode("mode");
constexpr QLatin1String kSelectTab("tab");
constexpr QLatin1String kEnc("enc");
constexpr QLatin1String kShow("show");
constexpr QLatin1String kQuit("quit");
constexpr QLatin1String kWatch("watch");
constexpr QLatin1String kSetGains("gains");
constexpr QLatin1String kRule("rule");
// Also its answer's key: true, false, or null while the user has not chosen.
constexpr QLatin1String kBackground("background");

// Actions of "mode" besides choosing one, and of "enc" besides on and off.
constexpr QLatin1String kAdd("add");
constexpr QLatin1String kRename("rename");
constexpr QLatin1String kDelete("delete");
constexpr QLatin1String kNext("next");
constexpr QLatin1String kPrevious("previous");
constexpr QLatin1String kToggle("toggle");
// "mode export" answers the mode's gains, and "mode import" is a "mode add":
// the command line reads and writes the files.
constexpr QLatin1String kExport("export");
constexpr QLatin1String kImport("import");
// Actions of "rule".
constexpr QLatin1String kList("list");
constexpr QLatin1String kPause("pause");
constexpr QLatin1String kResume("resume");

// Tabs, as the command line and its JSON name them.
constexpr QLatin1String kSurround("surround");
constexpr QLatin1String kStereo("stereo");
constexpr QLatin1String kMicEnc("mic-enc");

// Answer keys; the keys of "status" and "modes" are listed in packaging/voxbench.1.
constexpr QLatin1String kOk("ok");
constexpr QLatin1String kError("error");
constexpr QLatin1String kBuiltIn("built_in");
constexpr QLatin1String kGains("gains");
constexpr QLatin1String kAttached("attached");
constexpr QLatin1String kReceiver("receiver");
constexpr QLatin1String kProductId("product_id");
constexpr QLatin1String kIdentity("identity");
constexpr QLatin1String kVersion("version");
constexpr QLatin1String kSurround71("surround_7_1");
constexpr QLatin1String kAlgorithm("algorithm");
constexpr QLatin1String kModeList("modes");
constexpr QLatin1String kMicEncState("mic_enc");
constexpr QLatin1String kSpectrum("spectrum");
constexpr QLatin1String kWindowShown("window_shown");
constexpr QLatin1String kCode("code");
constexpr QLatin1String kApi("api");
// "rule list": the rules and whether they are paused; "status": the rule in force.
constexpr QLatin1String kRules("rules");
constexpr QLatin1String kPaused("paused");
constexpr QLatin1String kRuleInForce("rule");
// "mode import": what was read and how close the receiver's gains come.
constexpr QLatin1String kFormat("format");
constexpr QLatin1String kCurve("curve");
constexpr QLatin1String kLargestDeviation("largest_deviation_db");
constexpr QLatin1String kClampedBands("clamped_bands");
constexpr QLatin1String kLargestClamp("largest_clamp_db");
constexpr QLatin1String kPreamp("preamp_db");
constexpr QLatin1String kShift("shift_db");
constexpr QLatin1String kRmsDeviation("rms_deviation_db");
constexpr QLatin1String kPerChannel("per_channel");
constexpr QLatin1String kSideDifference("side_difference_db");
constexpr QLatin1String kSideRmsDifference("side_rms_difference_db");
constexpr QLatin1String kOtherChannelLines("other_channel_lines");
constexpr QLatin1String kIncludedFiles("included_files");
// What a line of "watch" reports as changed (an array of these).
constexpr QLatin1String kChanged("changed");

// The version of the JSON keys and codes that `--json` prints; raised only when
// a key changes meaning or goes.
constexpr int kApiVersion = 1;

// Failure codes: what a program may act on. Stable across versions.
constexpr QLatin1String kNotRunning("not-running");
constexpr QLatin1String kNoReceiver("no-receiver");
constexpr QLatin1String kRefused("refused");
constexpr QLatin1String kBusy("busy");
constexpr QLatin1String kUsage("usage");
constexpr QLatin1String kFailed("failed"); // anything else: no answer, a failed save

// What a "watch" line names as changed.
constexpr QLatin1String kChangedState("state"); // the first line
constexpr QLatin1String kChangedReceiver("receiver");
constexpr QLatin1String kChangedTab("tab");
constexpr QLatin1String kChangedMode("mode");
constexpr QLatin1String kChangedGains("gains");
constexpr QLatin1String kChangedModes("modes"); // custom modes added, renamed, deleted
constexpr QLatin1String kChangedMicEnc("mic_enc");
constexpr QLatin1String kChangedQuit("quit");
constexpr QLatin1String kChangedRule("rule"); // rules edited, or the rule in force changed

} // namespace CommandProtocol
