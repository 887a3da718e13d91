#pragma once

#include <QByteArray>
#include <QStringList>
#include <vector>

#include "ControllerSim.h"

// A controller with its output collected, one entry per reply or frame it sent.
struct SimHarness {
    explicit SimHarness(const SimConfig& config = {}) : sim(config) {
        sim.onOutput = [this](const QByteArray& bytes) { sent.push_back(bytes); };
        sim.onEvent = [this](const QString& what) { events << what; };
    }

    // Sends `bytes` and returns everything the controller answered to them.
    QByteArray Ask(const QByteArray& bytes) {
        const size_t before = sent.size();
        sim.Receive(bytes);
        QByteArray answer;
        for (size_t i = before; i < sent.size(); ++i) answer += sent[i];
        return answer;
    }

    ControllerSim sim;
    std::vector<QByteArray> sent;
    QStringList events;
};
