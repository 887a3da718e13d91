#include "CommandSet.h"

#include <QString>
#include <array>

namespace {

constexpr std::array kCommands{
    CommandInfo{"ports", "ports", "COM1 to COM20: device and state",
                "Lists COM1 to COM20 with the device each opens (after --com) and its state:\n"
                "absent, present, busy (held by another program, named where it can be found)\n"
                "or no-permission (with the group that may open it). With --json, a list of\n"
                "{\"com\":N,\"device\":\"...\",\"state\":\"...\"}.\n",
                0, 0, false, false},
    CommandInfo{"info", "info", "the firmware version",
                "Asks the firmware version (\"?V\") and prints it as the window shows it, e.g.\n"
                "1.218. With --json: {\"version\":\"1.218\"}.\n",
                0, 0, true, true},
    CommandInfo{"read", "read", "the window's whole start-up read-back",
                "Reads the version and every parameter in the window's order, asking a zero\n"
                "again up to three times, and prints one line per parameter: letter, name and\n"
                "value as the window shows it. The names are Chinese when the locale (LC_ALL,\n"
                "LC_MESSAGES or LANG) starts with zh, else those of the window's English mode.\n"
                "With --json: {\"version\":\"1.218\",\"parameters\":{\"C\":45,...},\n"
                "\"names\":{\"C\":\"Stabili_Level\",...},\"texts\":{\"A\":\"5. QUADX\",...}},\n"
                "\"texts\" holding the list entries the window shows for A, B, P and j.\n",
                0, 0, true, true},
    CommandInfo{"get", "get L...", "some parameters, by letter",
                "Reads the firmware version and then only the letters given (one per argument,\n"
                "e.g. get C A Q), each with the retry rule, and prints each letter with its name\n"
                "and value: \"C (Stabili_Level) = 45\". The case of a letter matters: c is a\n"
                "switch row, C the main gain. With --json: {\"C\":45,...}. Quote letters the\n"
                "shell would take, e.g. get '$' '`'.\n",
                1, -1, true, false},
    CommandInfo{"set", "set L=VALUE...", "write parameters and check them",
                "Writes each value as the window shows it (e.g. set C=45 Q=-3 A=8). Every value\n"
                "is checked against the parameter table first: one bad value and nothing is sent\n"
                "(exit 3). Each command is then sent as the window sends it and its echo is\n"
                "awaited; setting the heading-lock row d or the care-free row e also clears the\n"
                "same switch positions in the other row, as the window does. Last, the letters\n"
                "are read back and each is printed with its name and the value read:\n"
                "\"c (HeightLock switch row) = 48\"; any difference is marked (exit 5).\n",
                1, -1, true, true},
    CommandInfo{"reference", "reference [--no-backup] N", "load built-in reference set N (0-3)",
                "Makes the controller load its built-in reference set N (0: frames under 300 mm,\n"
                "1: 300-450 mm, 2: 450-650 mm, 3: above 650 mm) with \"Sj000N\", waits for its\n"
                "echo and reads everything back as read does. Before \"Sj000N\" the controller\n"
                "is read whole and backed up (see BACKUPS in the manual); --no-backup skips both.\n",
                1, 1, true, true},
    CommandInfo{"export", "export [--force] FILE", "save every parameter to a file (- for stdout)",
                "Reads everything back as read does, then writes FILE byte for byte as the\n"
                "window's \"保存当前数据\" writes it after a start-up read-back: GBK text, 196\n"
                "lines ending in CR CR LF, the COM number of the port in the first line.\n"
                "FILE - writes the file to stdout. A FILE that cannot be written is refused\n"
                "before anything is sent (exit 3).\n",
                1, 1, true, false},
    CommandInfo{"diff", "diff FILE", "what restoring a saved file would change",
                "Reads and checks the file as restore does (exit 3 for a bad file, nothing sent),\n"
                "reads everything back as read does and prints each parameter whose value\n"
                "differs from the file, nothing else: letter, name, the controller's value and\n"
                "the file's, both as the window shows them. Only the values restore writes are\n"
                "compared. Exit 0 when they are equal (stderr says so), 5 when they differ.\n"
                "With --json:\n"
                "{\"differences\":[{\"letter\":\"C\",\"name\":\"...\",\"controller\":44,\n"
                "\"file\":45}]}.\n",
                1, 1, true, true},
    CommandInfo{"restore", "restore [--dry-run | --no-backup] FILE", "write a saved parameter file back",
                "Reads and checks the whole file first (line count, every label as the export\n"
                "writes it, every value a number within its range); any problem and nothing is\n"
                "sent (exit 3, with the line and what is wrong). Then sends what the window's\n"
                "restore from a saved file sends (\"Sj0004\", the values from C to O, each\n"
                "after the echo of the one before and a pause), reads everything back and\n"
                "compares every restored value (a difference: exit 5, listed). Before \"Sj0004\"\n"
                "the controller is read whole and backed up (see BACKUPS in the manual);\n"
                "--no-backup skips both.\n"
                "--dry-run: check the file and print what diff prints; nothing but the read-back\n"
                "is sent.\n",
                1, 1, true, true},
    CommandInfo{"flash", "flash [--keep-parameters] [--no-backup] FILE",
                "upload a firmware image to the boot loader",
                "Checks FILE as the window does (the name ends in \"bin\", more than one byte, at\n"
                "most 65535 bytes; exit 3 otherwise, nothing sent), then uploads it as the\n"
                "window does: \"?W\", \"UPQZMC\" or \"UPQZEC\", the ready word, start, data,\n"
                "end and confirm packets, the checksum. Each answer of the boot loader is\n"
                "awaited up to 3 s, whatever --timeout says: it may erase its flash first.\n"
                "Exit 0 only once the confirm packet is acknowledged; then everything is read\n"
                "back as the window does. Progress on stderr. Before \"?W\" the controller is\n"
                "read whole and backed up (see BACKUPS in the manual); --no-backup skips both.\n"
                "--keep-parameters: first read everything and back it up (see BACKUPS in the\n"
                "manual; --no-backup skips the file), then flash, read back, and where the new\n"
                "firmware came up with other values restore the ones read before (only what\n"
                "restore writes); the summary lists what was put back.\n",
                1, 1, true, true},
    CommandInfo{"monitor", "monitor [--count N] [--csv]", "the live data, frame by frame",
                "Sends \"S~0001\" and prints every live frame as it arrives: CHDA (receiver\n"
                "CH1..CH8 in the window's box order), MSDA (outputs 1..8), SSDA (ultrasonic\n"
                "mm, barometric dm, heading, vibration, longitude, latitude). Ends after N\n"
                "frames, on Ctrl-C, SIGTERM or SIGHUP (exit 0), or when no frame comes within\n"
                "--timeout (exit 4); it always sends \"S~0000\" before it ends. With --json,\n"
                "one object per line: {\"frame\":\"CHDA\",\"values\":[...]}, {\"frame\":\"SSDA\",\n"
                "\"ultrasonic\":N,\"baro\":N,\"heading\":N,\"vibration\":N,\"longitude\":\"...\",\n"
                "\"latitude\":\"...\"}. With --csv, comma-separated values: a header line, then\n"
                "one line per frame with the time in seconds since \"S~0001\", the tag, CH1..CH8,\n"
                "M/S1..M/S8 and the six sensor fields; a frame fills only its own columns.\n",
                0, 0, true, false},
};

}  // namespace

std::span<const CommandInfo> Commands() { return kCommands; }

const CommandInfo* FindCommand(QStringView name) {
    for (const CommandInfo& command : kCommands)
        if (name == QLatin1String(command.name)) return &command;
    return nullptr;
}
