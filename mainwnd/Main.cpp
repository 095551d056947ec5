// The program's entry point and its one application object.

#include "mainwnd/ReminderApp.h"

CReminderApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
