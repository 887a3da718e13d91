#pragma once

// Dialog templates and control ids. Every widget built from a template carries its id in the
// dynamic property "controlId", so code and tests find it by number (FindControl).

// Templates
constexpr int IDD_VEXA_DIALOG = 102;
constexpr int IDR_MAINFRAME = 128;  // application icon
constexpr int IDD_FRAME_DIALOG = 130;
constexpr int IDD_BASIC_PAGE = 137;
constexpr int IDD_CUSTOM_PAGE = 138;
constexpr int IDD_GPS_PAGE = 139;
constexpr int IDD_GIMBAL_PAGE = 140;
constexpr int IDD_VOLTAGE_PAGE = 141;

// ---- Main window (template 102) ----
constexpr int IDC_PORT_HINT = 1000;
constexpr int IDC_SELECT_FW = 1001;
constexpr int IDC_FRAME_HINT = 1002;
constexpr int IDC_ESC_HINT = 1003;
constexpr int IDC_PAGE_BASIC = 1005;
constexpr int IDC_PAGE_CUSTOM = 1006;
constexpr int IDC_PAGE_GPS = 1007;
constexpr int IDC_PAGE_GIMBAL = 1009;
constexpr int IDC_PAGE_VOLTAGE = 1010;
constexpr int IDC_SERVO_HINT = 1013;
constexpr int IDC_SAVE_DATA = 1015;
constexpr int IDC_FRAME_EDIT = 1016;
constexpr int IDC_REFRESH = 1017;
constexpr int IDC_DECLINATION_SET = 1018;
constexpr int IDC_LANGUAGE = 1019;
constexpr int IDC_DECLINATION_HINT = 1020;
constexpr int IDC_SENSOR_HINT = 1021;
constexpr int IDC_FW_PATH = 1028;
constexpr int IDC_DECLINATION = 1031;
constexpr int IDC_FRAME_TYPE = 1032;
constexpr int IDC_ESC_RATE = 1033;
constexpr int IDC_COMM = 1042;
constexpr int IDC_START_UPGRADE = 1043;
constexpr int IDC_STATUS = 1047;
constexpr int IDC_SENSOR_BATTERY = 1056;
constexpr int IDC_SENSOR_RECEIVER = 1057;
constexpr int IDC_SENSOR_GYRO = 1058;
constexpr int IDC_SENSOR_ACCEL = 1059;
constexpr int IDC_SENSOR_MAG = 1060;
constexpr int IDC_PORT_LIST = 1061;
constexpr int IDC_SENSOR_BARO = 1062;
constexpr int IDC_SENSOR_SONAR = 1064;
constexpr int IDC_SENSOR_GPS = 1065;
constexpr int IDC_UPLOAD_PROGRESS = 1075;
constexpr int IDC_RESTORE_LIST = 1099;
constexpr int IDC_RESTORE_HINT = 1100;
constexpr int IDC_VERSION = 1112;
constexpr int IDC_SERVO_RATE = 1215;
constexpr int IDC_TAB = 1230;
constexpr int IDC_UPPER_PANEL = 1263;
constexpr int IDC_VERSION_CAPTION = 1264;

// ---- Basic page (template 137) ----

// ---- Custom and monitor page (template 138) ----
constexpr int IDC_CUSTOM_GROUP = 1265;
constexpr int IDC_MONITOR_GROUP = 1298;
constexpr int IDC_DISPLAY_TOGGLE = 1118;

// ---- GPS page (template 139) ----

// ---- Gimbal page (template 140) ----

// ---- Voltage page (template 141) ----
