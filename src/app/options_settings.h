// The settings document's values that the options window shows: put into its
// controls at start (each control's handler then runs, as if the user had
// chosen the value) and read back from them at exit.
#pragma once

#include <windows.h>

#include "framework/xml_document.h"

class TOptions;

// The steps of the start, in the order the settings are applied.
void LoadAppearanceOptions(TOptions* Window, const TXMLNode& Root);
void LoadVisualizationOptions(TOptions* Window, const TXMLNode& Root);
void LoadSoundOptions(TOptions* Window, const TXMLNode& Root);
void LoadEncodingOptions(TOptions* Window, const TXMLNode& Root);
void LoadFileTypeOptions(TOptions* Window, const TXMLNode& Root);
// After the skin: the playlist's boxes, and after its size, its font
// (Node: the Playlist element).
void LoadPlaylistBoxes(TOptions* Window, const TXMLNode& Node);
void LoadPlaylistFont(TOptions* Window, const TXMLNode& Node);

void SaveOptionControls(TOptions* Window, TXMLNode Root);

// Closes the settings bracket; a file that cannot be written is reported
// ("CantSaveSettings", naming the settings file) instead of raising.
void SaveSettingsOrReport(HWND Owner);
void ReportSettingsNotSaved(HWND Owner);
