#pragma once

// The family of a mode; also the tab index and the JSON "type".
enum ModeType { Surround = 0, Stereo = 1 };
