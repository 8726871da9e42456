#pragma once

// The command line's requests to the running VoxBench and their answers, as
// they cross the instance socket: the argument of one "command" line is a JSON
// object naming the verb; the answer is one JSON object with "ok" and, on
// failure, "error". Both sides read the names from here.

#include <QLatin1String>

namespace CommandProtocol {

// Request keys.
constexpr QLatin1String kVerb("verb");
constexpr QLatin1String kName("name");
constexpr QLatin1String kTab("tab");
constexpr QLatin1String kOn("on");

// Verbs.
constexpr QLatin1String kStatus("status");
constexpr QLatin1String kModes("modes");
constexpr QLatin1String kMode("mode");
constexpr QLatin1String kSelectTab("tab");
constexpr QLatin1String kEnc("enc");
constexpr QLatin1String kShow("show");
constexpr QLatin1String kQuit("quit");

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

} // namespace CommandProtocol
