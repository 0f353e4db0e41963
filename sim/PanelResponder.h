#pragma once

#include "sim/Installation.h"
#include "sim/PanelRequest.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <random>

namespace testloop::sim {

// Builds the panel's reply to one request from an installation. No I/O: the only state is the
// random generator that adds noise to readings, seeded so that runs repeat.
class PanelResponder
{
public:
    explicit PanelResponder(Installation installation, std::uint32_t seed = 1);

    // Nothing for a lock request or an unrecognised one. Loops other than 1 and 2 and addresses
    // beyond 99 are answered as empty addresses.
    std::optional<QByteArray> replyTo(const QByteArray &request);
    std::optional<QByteArray> replyTo(const PanelRequest &request);

    const Installation &installation() const { return m_installation; }

    // analogue +/- a uniform amount in [-noise, +noise], held within 0..999.
    int reading(int analogue, int noise);

private:
    QByteArray downloadReply(const PanelRequest &request) const;
    QByteArray scanReply(const PanelRequest &request);
    QByteArray testReply(const PanelRequest &request) const;

    Installation m_installation;
    std::mt19937 m_random;
};

} // namespace testloop::sim
