// Creates the control by its ProgID, as a web page or script host would, and prints
// its idle properties and what Play says in a script host, which gives it no window.
var player = new ActiveXObject("Zavren.MediaPlayer.1");
WScript.Echo("Created Zavren.MediaPlayer.1");
var names = ["MediaName", "PlayListContent", "CurrentPlaybackTime_Sec", "CurrentDownloadTime_Sec", "TotalTime_Sec",
             "BufferingProgress_Percent", "MediaSeekable", "TimeShiftMode", "TimeShiftPosition",
             "TimeShiftCanSwitchToLive", "VideoExists", "VideoBitrate_KBitSec", "VideoFramerate_FSec",
             "VideoFrameWidth", "VideoFrameHeight", "VideoCurrentViewSize_Percent", "VideoAspectRatio",
             "AudioExists", "AudioBitrate_KBitSec", "AudioSamplerate_KHz", "AudioChannels"];
for (var i = 0; i < names.length; i++) {
    var value = player[names[i]];
    WScript.Echo("  " + names[i] + " = " + (value === null || value === undefined ? "(none)" : value));
}
player.UseCustomErrorHandler(true);
player.UseMediaServer("127.0.0.1:5119");
player.UseLiveAlias("testcard");
try {
    player.Play();
    WScript.Echo("Play: started");
} catch (e) {
    WScript.Echo("Play: " + (e.description || ("error " + e.number)));
}
