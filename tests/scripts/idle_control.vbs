' Creates the control by both ProgIDs from VBScript, reads the idle properties and
' checks the errors that setters raise.
Option Explicit
Dim failures : failures = 0
Sub Check(ok, what)
    If Not ok Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

Dim player, other, number, description
' Wine's VBScript CreateObject fails for objects that take a site (IObjectWithSite) when the
' script host offers no IServiceProvider; WScript.CreateObject creates by ProgID all the same.
Set player = WScript.CreateObject("Zavren.MediaPlayer.1")
Set other = WScript.CreateObject("Zavren.MediaPlayer")
Call Check(Not (player Is Nothing), "created by the versioned ProgID")
Call Check(Not (other Is Nothing), "created by the version-independent ProgID")

Call Check(player.TimeShiftMode = -1, "TimeShiftMode")
Call Check(player.BufferingProgress_Percent = 100, "BufferingProgress_Percent")
Call Check(player.MediaSeekable = False, "MediaSeekable")
Call Check(player.VideoExists = False, "VideoExists")
Call Check(player.AudioExists = False, "AudioExists")
Call Check(player.VideoFrameWidth = 0, "VideoFrameWidth")
Call Check(player.AudioSamplerate_KHz = 0, "AudioSamplerate_KHz")
Call Check(TypeName(player.VideoBitrate_KBitSec) = "Double", "bit rates are doubles")
Call Check(TypeName(player.MediaSeekable) = "Boolean", "MediaSeekable is a Boolean")
Call Check(player.MediaName = "", "MediaName")

On Error Resume Next
player.SetUDPPacketLossControlMode 5
number = Err.Number
Err.Clear
On Error GoTo 0
' VBScript reports E_INVALIDARG as its own error 5, "Invalid procedure call or argument".
Call Check(number = 5 Or number = &H80070057, "out-of-range loss control mode raises E_INVALIDARG")

player.SetBufferSize 0
player.SetBufferSize 100
player.SetVideoAspectRatio 9
player.UseSessionID "ab"
player.UseCustomErrorHandler True
player.Play
player.UseLiveAlias "testcard"
player.UseMediaServer "127.0.0.1:5119"
' A script host gives the control no window: a valid Play is refused with a clear error.
On Error Resume Next
player.Play
number = Err.Number
description = Err.Description
Err.Clear
On Error GoTo 0
' OLE_E_NOT_INPLACEACTIVE, 0x80040010, as decimal: Wine's VBScript reads &H80040010 as a positive number.
Call Check(number = -2147221488, "Play without a window raises OLE_E_NOT_INPLACEACTIVE")
Call Check(InStr(description, "no window to play in") > 0, "with a description that says why")

If failures = 0 Then
    WScript.Echo "idle_control.vbs: all checks passed"
Else
    WScript.Echo "idle_control.vbs: " & failures & " failed"
End If
WScript.Quit failures
