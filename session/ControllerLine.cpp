#include "ControllerLine.h"

#include "CMSComm.h"

void ApplyControllerLineSettings(CMSComm& comm) {
    comm.SetSettings(QStringLiteral("115200,n,8,1"));
    comm.SetInputMode(CMSComm::comInputModeBinary);
    comm.SetRThreshold(1);
    comm.SetInputLen(0);
}
