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
// Label buttons (each shows its parameter's hint), sliders and their number boxes.
constexpr int IDC_BASIC_LABEL_MAIN_STAB = 1000;
constexpr int IDC_BASIC_LABEL_AUX_STAB = 1001;
constexpr int IDC_BASIC_LABEL_DYN_STAB = 1002;
constexpr int IDC_BASIC_LABEL_MAIN_BAL = 1003;
constexpr int IDC_BASIC_LABEL_AUX_BAL = 1004;
constexpr int IDC_BASIC_LABEL_YAW_STAB = 1005;
constexpr int IDC_BASIC_LABEL_YAW_LOCK = 1006;
constexpr int IDC_BASIC_LABEL_HEIGHT_LOCK = 1007;
constexpr int IDC_BASIC_LABEL_AUX_HEIGHT = 1008;
constexpr int IDC_BASIC_LABEL_HEIGHT_STAB = 1009;
constexpr int IDC_BASIC_SLIDER_MAIN_STAB = 1038;    // C
constexpr int IDC_BASIC_SLIDER_AUX_STAB = 1039;     // D
constexpr int IDC_BASIC_SLIDER_DYN_STAB = 1040;     // E
constexpr int IDC_BASIC_SLIDER_MAIN_BAL = 1034;     // F
constexpr int IDC_BASIC_SLIDER_AUX_BAL = 1035;      // G
constexpr int IDC_BASIC_SLIDER_YAW_STAB = 1247;     // Y
constexpr int IDC_BASIC_SLIDER_YAW_LOCK = 1248;     // Z
constexpr int IDC_BASIC_SLIDER_HEIGHT_LOCK = 1249;  // R
constexpr int IDC_BASIC_SLIDER_AUX_HEIGHT = 1250;   // T
constexpr int IDC_BASIC_SLIDER_HEIGHT_STAB = 1257;  // ` (grave accent)
constexpr int IDC_BASIC_EDIT_MAIN_STAB = 1251;
constexpr int IDC_BASIC_EDIT_AUX_STAB = 1252;
constexpr int IDC_BASIC_EDIT_DYN_STAB = 1066;
constexpr int IDC_BASIC_EDIT_MAIN_BAL = 1068;
constexpr int IDC_BASIC_EDIT_AUX_BAL = 1069;
constexpr int IDC_BASIC_EDIT_YAW_STAB = 1253;
constexpr int IDC_BASIC_EDIT_YAW_LOCK = 1254;
constexpr int IDC_BASIC_EDIT_HEIGHT_LOCK = 1255;
constexpr int IDC_BASIC_EDIT_AUX_HEIGHT = 1256;
constexpr int IDC_BASIC_EDIT_HEIGHT_STAB = 1258;

// ---- Custom and monitor page (template 138) ----
constexpr int IDC_CUSTOM_GROUP = 1265;
constexpr int IDC_MONITOR_GROUP = 1298;
constexpr int IDC_DISPLAY_TOGGLE = 1118;

// ---- GPS page (template 139) ----
constexpr int IDC_GPS_LABEL_CENTRING = 1286;    // @
constexpr int IDC_GPS_LABEL_WIND = 1265;        // #
constexpr int IDC_GPS_LABEL_DAMPING = 1266;     // $
constexpr int IDC_GPS_LABEL_HOME_SPEED = 1267;  // !
constexpr int IDC_GPS_SLIDER_CENTRING = 1039;
constexpr int IDC_GPS_SLIDER_WIND = 1040;
constexpr int IDC_GPS_SLIDER_DAMPING = 1041;
constexpr int IDC_GPS_SLIDER_HOME_SPEED = 1239;
constexpr int IDC_GPS_EDIT_CENTRING = 1064;
constexpr int IDC_GPS_EDIT_WIND = 1065;
constexpr int IDC_GPS_EDIT_DAMPING = 1066;
constexpr int IDC_GPS_EDIT_HOME_SPEED = 1240;

// ---- Gimbal page (template 140) ----
constexpr int IDC_GIMBAL_LABEL_PITCH_SCALE = 1000;  // K
constexpr int IDC_GIMBAL_LABEL_ROLL_SCALE = 1001;   // J
constexpr int IDC_GIMBAL_LABEL_Z_SCALE = 1002;      // %
constexpr int IDC_GIMBAL_LABEL_PITCH_MID = 1003;    // &
constexpr int IDC_GIMBAL_LABEL_ROLL_MID = 1004;     // ^
constexpr int IDC_GIMBAL_LABEL_Z_MID = 1005;        // (
constexpr int IDC_GIMBAL_LABEL_PITCH_LIMIT = 1006;  // _
constexpr int IDC_GIMBAL_LABEL_ROLL_LIMIT = 1007;   // )
constexpr int IDC_GIMBAL_LABEL_Z_LIMIT = 1008;      // +
constexpr int IDC_GIMBAL_SLIDER_PITCH_SCALE = 1231;
constexpr int IDC_GIMBAL_SLIDER_ROLL_SCALE = 1232;
constexpr int IDC_GIMBAL_SLIDER_Z_SCALE = 1233;
constexpr int IDC_GIMBAL_SLIDER_PITCH_MID = 1234;
constexpr int IDC_GIMBAL_SLIDER_ROLL_MID = 1042;
constexpr int IDC_GIMBAL_SLIDER_Z_MID = 1043;
constexpr int IDC_GIMBAL_SLIDER_PITCH_LIMIT = 1044;
constexpr int IDC_GIMBAL_SLIDER_ROLL_LIMIT = 1045;
constexpr int IDC_GIMBAL_SLIDER_Z_LIMIT = 1046;
constexpr int IDC_GIMBAL_EDIT_PITCH_SCALE = 1235;
constexpr int IDC_GIMBAL_EDIT_ROLL_SCALE = 1236;
constexpr int IDC_GIMBAL_EDIT_Z_SCALE = 1237;
constexpr int IDC_GIMBAL_EDIT_PITCH_MID = 1238;
constexpr int IDC_GIMBAL_EDIT_ROLL_MID = 1067;
constexpr int IDC_GIMBAL_EDIT_Z_MID = 1068;
constexpr int IDC_GIMBAL_EDIT_PITCH_LIMIT = 1069;
constexpr int IDC_GIMBAL_EDIT_ROLL_LIMIT = 1070;
constexpr int IDC_GIMBAL_EDIT_Z_LIMIT = 1071;

// ---- Voltage page (template 141) ----
constexpr int IDC_VOLT_GROUP = 1263;
constexpr int IDC_VOLT_CELL1 = 1242;
constexpr int IDC_VOLT_CELL2 = 1243;
constexpr int IDC_VOLT_CELL3 = 1244;
constexpr int IDC_VOLT_CELL4 = 1245;
constexpr int IDC_VOLT_CELL1_LABEL = 1266;
constexpr int IDC_VOLT_CELL2_LABEL = 1267;
constexpr int IDC_VOLT_CELL3_LABEL = 1268;
constexpr int IDC_VOLT_CELL4_LABEL = 1269;
constexpr int IDC_VOLT_CALIBRATE = 1246;
constexpr int IDC_VOLT_ALARM_LABEL = 1270;
constexpr int IDC_VOLT_ALARM_SLIDER = 1055;  // L
constexpr int IDC_VOLT_ALARM_EDIT = 1074;

// ---- Frame parameters dialog (template 130) ----
constexpr int IDC_FRAME_SAVE = 1000;
constexpr int IDC_FRAME_CANCEL = 2;
constexpr int IDC_FRAME_AXIS_LABEL = 1001;
constexpr int IDC_FRAME_AXIS_COUNT = 1215;
constexpr int IDC_FRAME_MAX_X_LABEL = 1002;
constexpr int IDC_FRAME_MAX_X = 1029;
constexpr int IDC_FRAME_MAX_Y_LABEL = 1005;
constexpr int IDC_FRAME_MAX_Y = 1030;
constexpr int IDC_FRAME_COORD_LABEL = 1004;
constexpr int IDC_FRAME_SETTINGS_GROUP = 1263;
constexpr int IDC_FRAME_PLAN_GROUP = 1266;
// Motor rows M1..M6: label, X edit, Y edit, propeller direction box.
constexpr int IDC_FRAME_MOTOR_LABEL[6] = {1003, 1008, 1006, 1009, 1224, 1225};
constexpr int IDC_FRAME_MOTOR_X[6] = {1031, 1037, 1032, 1038, 1033, 1039};
constexpr int IDC_FRAME_MOTOR_Y[6] = {1034, 1040, 1035, 1041, 1036, 1042};
constexpr int IDC_FRAME_REVERSE[6] = {1056, 1057, 1058, 1059, 1060, 1062};
// Instruction texts under the inputs.
constexpr int IDC_FRAME_NOTE_FIRST = 1267;
constexpr int IDC_FRAME_NOTE_LAST = 1271;
