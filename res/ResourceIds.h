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
// Shown while the pages' values are the last read before the line was lost.
constexpr int IDC_STALE_VALUES = 1300;

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

// Function switch grid: rows a b c d e f = g h i; column k = 3 × (channel − 5) + position
// (0 low, 1 middle, 2 high). Row 2's box under channel 6 low has the id 113.
constexpr int IDC_SWITCH_GRID[10][12] = {
    {1114, 1134, 1143, 1152, 1161, 1170, 1179, 1188, 1215, 1224, 1233, 1242},
    {1115, 1135, 1144, 113, 1162, 1171, 1180, 1189, 1216, 1225, 1234, 1243},
    {1116, 1136, 1145, 1154, 1163, 1172, 1181, 1190, 1217, 1226, 1235, 1244},
    {1117, 1137, 1146, 1155, 1164, 1173, 1182, 1191, 1218, 1227, 1236, 1245},
    {1120, 1138, 1147, 1156, 1165, 1174, 1183, 1192, 1219, 1228, 1237, 1246},
    {1129, 1139, 1148, 1157, 1166, 1175, 1184, 1193, 1220, 1229, 1238, 1247},
    {1133, 1153, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 1259, 1260},
    {1130, 1140, 1149, 1158, 1167, 1176, 1185, 1194, 1221, 1230, 1239, 1248},
    {1131, 1141, 1150, 1159, 1168, 1177, 1186, 1195, 1222, 1231, 1240, 1249},
    {1132, 1142, 1151, 1160, 1169, 1178, 1187, 1196, 1223, 1232, 1241, 1250},
};
constexpr int IDC_FUNCTION_HINT = 1014;
constexpr int IDC_SWITCH_INDICATOR_TITLE = 1263;
constexpr int IDC_ROW_LABEL_FIRST = 1266;       // 1266-1275, rows 1-10
constexpr int IDC_CHANNEL_HEAD_FIRST = 1282;    // 1282-1285, "5通道" … "8通道"
constexpr int IDC_POSITION_HEADS_FIRST = 1286;  // 1286-1289, "低 中 高" over channels 5-8
// Switch position indicators of channels 5-8, and the fail-safe switch.
constexpr int IDC_INDICATOR_CH5 = 1038;
constexpr int IDC_INDICATOR_CH6 = 1039;
constexpr int IDC_INDICATOR_CH7 = 1040;
constexpr int IDC_INDICATOR_CH8 = 1045;
constexpr int IDC_FAILSAFE_INDICATOR = 1046;
constexpr int IDC_FAILSAFE_LABEL = 1276;
constexpr int IDC_FAILSAFE_CAPTION_FIRST = 1277;  // 1277-1281, low … high above the track
// Display fields and their captions.
constexpr int IDC_RECEIVER_CH1 = 1102;  // 1102-1109, CH1-CH8
constexpr int IDC_OUTPUT_1 = 1121;      // 1121-1128, M/S1-M/S8
constexpr int IDC_MONITOR_VIBRATION = 1030;
constexpr int IDC_MONITOR_MAG_ANGLE = 1044;
constexpr int IDC_MONITOR_SONAR_HEIGHT = 1041;
constexpr int IDC_MONITOR_BARO_HEIGHT = 1029;
constexpr int IDC_MONITOR_LONGITUDE = 1031;
constexpr int IDC_MONITOR_LATITUDE = 1032;
constexpr int IDC_RECEIVER_DATA_CAPTION = 1206;
constexpr int IDC_OUTPUT_DATA_CAPTION = 1207;
constexpr int IDC_VIBRATION_CAPTION = 1290;
constexpr int IDC_MAG_ANGLE_CAPTION = 1291;
constexpr int IDC_SONAR_HEIGHT_CAPTION = 1292;
constexpr int IDC_DEGREES_UNIT = 1293;
constexpr int IDC_MILLIMETRES_UNIT = 1294;
constexpr int IDC_DECIMETRES_UNIT = 1295;
constexpr int IDC_LONGITUDE_CAPTION = 1296;
constexpr int IDC_LATITUDE_CAPTION = 1297;
constexpr int IDC_BARO_HEIGHT_CAPTION = 1299;
// Reverse boxes, bit 0 first: receiver (mask N; 1198-1200 hidden) and outputs (mask O).
constexpr int IDC_RECEIVER_REVERSE[8] = {1197, 1198, 1199, 1200, 1201, 1202, 1203, 1204};
constexpr int IDC_OUTPUT_REVERSE[8] = {1205, 1208, 1209, 1210, 1211, 1212, 1213, 1214};

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
