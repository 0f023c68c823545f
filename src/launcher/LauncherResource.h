/* Identifiers of the "Intro" dialog, shared by launcher.rc and the dialog code. */
#pragma once

#define IDD_INTRO 101
#define IDC_FULLSCREEN 1003
#define IDC_ASPECT 1004
#define IDC_VSYNC 1005
#define IDC_RESOLUTION 1006
#define IDC_FILTERING 1007
#define IDC_ANTIALIASING 1008
#define IDC_DISPLAY 1009
#define IDC_GPU_SCALE 1010
