// Creates the control by both ProgIDs, reads every property's idle value, exercises
// the setters and Play's validation errors under a custom error handler.
var failures = 0;
function check(ok, what) {
    if (!ok) { WScript.Echo("FAIL: " + what); failures++; }
}
function errorOf(action) {
    try { action(); } catch (e) { return e.number; }
    return 0;
}
var E_INVALIDARG = -2147024809;
var OLE_E_NOT_INPLACEACTIVE = -2147221488;

var versioned = new ActiveXObject("Zavren.MediaPlayer.1");
var player = new ActiveXObject("Zavren.MediaPlayer");
check(versioned != null && player != null, "created by both ProgIDs");

var idle = {
    CurrentPlaybackTime_Sec: 0, CurrentDownloadTime_Sec: 0, TotalTime_Sec: 0,
    BufferingProgress_Percent: 100, MediaSeekable: false, TimeShiftMode: -1, TimeShiftPosition: 0,
    TimeShiftCanSwitchToLive: false, VideoExists: false, VideoBitrate_KBitSec: 0, VideoFramerate_FSec: 0,
    VideoFrameWidth: 0, VideoFrameHeight: 0, VideoCurrentViewSize_Percent: 0, VideoAspectRatio: 0,
    AudioExists: false, AudioBitrate_KBitSec: 0, AudioSamplerate_KHz: 0, AudioChannels: 0
};
for (var name in idle) {
    var value = player[name];
    check(value === idle[name], name + " is " + value + ", expected " + idle[name]);
}
check(!player.MediaName, "MediaName is empty while idle");
check(!player.PlayListContent, "PlayListContent is empty while idle");

check(errorOf(function () { player.SetUDPPacketLossControlMode(-1); }) == E_INVALIDARG, "mode -1 refused");
check(errorOf(function () { player.SetUDPPacketLossControlMode(3); }) == E_INVALIDARG, "mode 3 refused");
check(errorOf(function () { player.SetUDPPacketLossControlMode(2); }) == 0, "mode 2 taken");
check(errorOf(function () { player.SetBufferSize(0); player.SetBufferSize(100); }) == 0, "buffer sizes clamped");
check(errorOf(function () { player.SetVideoAspectRatio(7); player.SetVideoAspectRatio(-1); }) == 0, "ratios");
check(errorOf(function () { player.AdjustVolume(-5000); }) == 0, "volume stored while idle");
check(errorOf(function () { player.UseSessionID("ab"); }) == 0, "session id");
check(errorOf(function () { player.UseLiveDirect("10.0.0.7", 3); player.UseLiveLocal(2); }) == 0, "live sources");
check(errorOf(function () { player.EnableFlowControl(true, false); player.DisplayPlaybackStatus(false); }) == 0,
      "view switches");
check(errorOf(function () { player.Stop(); player.Pause(); player.Seek(5); }) == 0, "idle commands are quiet");

// Play's three validation errors with a custom handler: no box, no exception.
var fresh = new ActiveXObject("Zavren.MediaPlayer.1");
fresh.UseCustomErrorHandler(true);
check(errorOf(function () { fresh.Play(); }) == 0, "Play without a resource");
fresh.UseFile("testcard.zmf");
check(errorOf(function () { fresh.Play(); }) == 0, "Play without a server");
fresh.UseMediaServer("127.0.0.1:5119");
fresh.UseRTPMulticast();
check(errorOf(function () { fresh.Play(); }) == 0, "Play of a single file over multicast");
fresh.UseTCP();
check(errorOf(function () { fresh.Play(); }) == OLE_E_NOT_INPLACEACTIVE, "Play without a window is refused");

WScript.Echo(failures == 0 ? "idle_control.js: all checks passed" : "idle_control.js: " + failures + " failed");
WScript.Quit(failures == 0 ? 0 : 1);
