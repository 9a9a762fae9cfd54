// Ids of the program's resources (kivTool.rc) and of the controls in its dialogs.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX                    100
#define IDD_KIVTOOL_DIALOG              102
#define IDD_NOTIFY_DIALOG               130
#define IDD_ASK_DIALOG                  131
#define IDD_PREVIOUS_NOTIFY_DIALOG      132
#define IDD_SETTING_DIALOG              135
#define IDD_HISTORY_DIALOG              136
#define IDD_WORKING_HOURS_DIALOG        137
#define IDD_EYE_BREAK_DIALOG            138

// Icon, menu, strings.
#define IDR_MAINFRAME                   128
#define IDR_TRAY_MENU                   129
#define IDS_ABOUTBOX                    101
#define IDS_REST_TITLE                  103
#define IDS_ASK_TITLE                   104
#define IDS_ASK_PROMPT                  105

// Texts the program's code shows, in the language of its windows.
#define IDS_TRAY_TIP                    200  // the tray icon's tip at rest
#define IDS_TRAY_STATUS_TIP             201  // worked %s, left %s
#define IDS_BALLOON_TITLE               202
#define IDS_BALLOON_ONE_MINUTE          203
#define IDS_BALLOON_LONG_DAY            204
#define IDS_SAVE_FAILED                 205  // followed by the full path
#define IDS_HISTORY_FONT                210  // the face the history window draws with
#define IDS_HISTORY_LAST_DAYS           211
#define IDS_HISTORY_WORK                212  // the legend
#define IDS_HISTORY_REST                213
#define IDS_HISTORY_CUT_SHORT           214
#define IDS_HISTORY_NONE                215
#define IDS_HISTORY_EMPTY_HINT          216
#define IDS_HISTORY_TODAY               217
#define IDS_HISTORY_NONE_TODAY          218
#define IDS_HISTORY_MORE                219  // %u more rests left out
#define IDS_HISTORY_HOURS               220  // %u hours on the chart's scale
#define IDS_HISTORY_H_MIN               221  // short durations: %u %u
#define IDS_HISTORY_MIN_S               222  // %u %u
#define IDS_HISTORY_S                   223  // %u
#define IDS_HISTORY_MIN                 224  // %u
#define IDS_HISTORY_REST_LINE           225  // %02u:%02u planned %s actual %s, how it ended %s
#define IDS_HISTORY_WEEK                226  // worked %s, rested %s, then four counts %u
#define IDS_END_TIME                    230  // how a rest ended
#define IDS_END_UNLOCK                  231
#define IDS_END_AWAY                    232
#define IDS_END_EXIT                    233
#define IDS_END_SHUTDOWN                234
#define IDS_ONE_COPY_NAME_TAKEN         259  // another program holds the one-copy name
#define IDS_HOLD_CALL                   280  // why a rest is held: balloon and tray tip
#define IDS_HOLD_CAMERA                 281
#define IDS_HOLD_PRESENTATION           282
#define IDS_HISTORY_HOLD_LINE           283  // %02u:%02u held %s, why %s
#define IDS_HOLD_WHY_CALL               284  // the why of a hold in the history
#define IDS_HOLD_WHY_CAMERA             285
#define IDS_HOLD_WHY_PRESENTATION       286

// Working hours.
#define IDS_END_SCHEDULE                300  // a rest: the time outside working hours
#define IDS_STATUS_OUTSIDE              301  // the status window's third label
#define IDS_TRAY_OUTSIDE_TIP            302  // worked %s
#define IDS_HOURS_OUT_OF_DAY            303  // %1: the weekday
#define IDS_HOURS_EMPTY                 304  // %1: the weekday
#define IDS_HOURS_OVERLAP               305  // %1: the weekday
#define IDS_HOURS_MONDAY                306  // the weekdays in the messages, Monday first
#define IDS_HOURS_TUESDAY               307
#define IDS_HOURS_WEDNESDAY             308
#define IDS_HOURS_THURSDAY              309
#define IDS_HOURS_FRIDAY                310
#define IDS_HOURS_SATURDAY              311
#define IDS_HOURS_SUNDAY                312
// Eye breaks and the history's export.
#define IDS_HISTORY_WEEK_FULL           350  // the week's third line: %u rests in full, %u%%
#define IDS_HISTORY_WEEK_EYES           351  // after it: %u eye breaks taken, %u skipped
#define IDS_HISTORY_EYE_BREAKS          352  // the legend of the numbers beside the bars
#define IDS_EYE_BREAK_COUNT             353  // %u seconds left
#define IDS_EXPORT_FILTER               354  // the save dialog's filter, '|' between the parts
#define IDS_EXPORT_FILE_NAME            355  // the file name it proposes
#define IDS_EXPORT_DONE                 356  // %u days written to %s
#define IDS_EXPORT_SKIPPED              357  // %u day files could not be read
#define IDS_EXPORT_FAILED               358  // followed by the full path
#define IDS_CSV_HEADER                  359  // the header row, fields between commas
#define IDS_CSV_REST                    360  // the kinds of rows
#define IDS_CSV_EYE_BREAK               361
#define IDS_CSV_DELAY                   362
#define IDS_CSV_POSTPONEMENT            363
#define IDS_CSV_HOLD                    364
#define IDS_EYE_END_TIME                365  // how an eye break ended
#define IDS_EYE_END_SKIP                366
#define IDS_EYE_END_CLOSED              367
#define IDS_BALLOON_ELEVATED_FRONT      368  // an administrator's window holds the rest back
// Control from scripts and the timed pause.
#define IDS_CSV_PAUSE                   380  // a timed pause of the breaks
#define IDS_HISTORY_PAUSE_LINE          381  // %02u:%02u paused until %02u:%02u
#define IDS_HISTORY_PAUSE_ENDED_LINE    382  // the same, then ended at %02u:%02u
#define IDS_STATUS_PAUSED               383  // the status window and the tray tip while paused: %s = HH:MM
#define IDS_PIPE_TAKEN                  400  // another program has the control pipe's name

// The status window (IDD_KIVTOOL_DIALOG).
#define IDC_STATIC_POWERON              1000
#define IDC_STATIC_WORKED               1001
#define IDC_STATIC_REMAIN               1002

// The unlock question (IDD_ASK_DIALOG).
#define IDC_EDIT_ANSWER                 1001
#define IDC_STATIC_FACTOR1              1002
#define IDC_STATIC_FACTOR2              1003

// The settings dialog (IDD_SETTING_DIALOG).
#define IDC_EDIT_RESTTIME               1001
#define IDC_EDIT_WORKTIME               1002
#define IDC_RADIO_HOME                  1004
#define IDC_RADIO_OFFICE                1005
#define IDC_CHECK_FULLSCREEN            1006
#define IDC_CHECK_IDLE_REST             1007
#define IDC_CHECK_HOLD_CALLS            1008
#define IDC_BUTTON_WORKING_HOURS        1010
#define IDC_STATIC_MANAGED              1011  // shown while a policy is in force

// The working-hours dialog (IDD_WORKING_HOURS_DIALOG): one row per weekday, Monday first;
// the id of a row's control is its column's id plus the weekday (0 Monday .. 6 Sunday).
#define IDC_HOURS_DAY                   1100  // check box: the day has working hours
#define IDC_HOURS_FROM1                 1110  // date-time pickers in time format
#define IDC_HOURS_TO1                   1120
#define IDC_HOURS_SECOND                1130  // check box: a second range
#define IDC_HOURS_FROM2                 1140
#define IDC_HOURS_TO2                   1150
#define IDC_CHECK_EYE_BREAK             1009

// The history window (IDD_HISTORY_DIALOG): a hidden label with today's list as text.
#define IDC_HISTORY_TEXT                1000
#define IDC_HISTORY_EXPORT              1001

// The eye break (IDD_EYE_BREAK_DIALOG): its line, its countdown and the skip button.
#define IDC_EYE_BREAK_TEXT              1000
#define IDC_EYE_BREAK_COUNT             1001
#define IDC_EYE_BREAK_SKIP              1002

// Tray menu commands (IDR_TRAY_MENU).
#define ID_MENU_EXIT                    32774
#define ID_MENU_DELAY5                  32775
#define ID_MENU_DELAY_PRESET            32776
#define ID_MENU_SETTINGS                32777
#define ID_MENU_ABOUT                   32779
#define ID_MENU_HISTORY                 32780
#define ID_MENU_SKIP_TODAY              32781
// The "暂停" submenu after them.
#define ID_MENU_PAUSE_30                32782
#define ID_MENU_PAUSE_60                32783
#define ID_MENU_PAUSE_120               32784
#define ID_MENU_PAUSE_TOMORROW          32785
#define ID_MENU_RESUME                  32786

// The status window's system-menu entry for the About box.
#define IDM_ABOUTBOX                    0x0010

#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif
