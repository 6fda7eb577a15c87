#include "map/team_routes.h"

#include <bit>
#include <cstdint>
#include <optional>
#include <unordered_set>

namespace zeb::map {
namespace {

struct LegKey {
    Point from;
    Point to;
    bool contingent;
    bool patrol;
    friend bool operator==(const LegKey&, const LegKey&) = default;
};

struct LegKeyHash {
    std::size_t operator()(const LegKey& key) const {
        std::uint64_t h = 0x9e3779b97f4a7c15ULL * (1 + key.contingent + 2 * key.patrol);
        for (const double part : {key.from.x, key.from.y, key.to.x, key.to.y}) {
            h ^= std::bit_cast<std::uint64_t>(part + 0.0);  // -0 and 0 alike
            h *= 0xbf58476d1ce4e5b9ULL;
            h ^= h >> 29;
        }
        return static_cast<std::size_t>(h);
    }
};

struct PointHash {
    std::size_t operator()(Point p) const {
        const std::uint64_t h = std::bit_cast<std::uint64_t>(p.x + 0.0) * 0x9e3779b97f4a7c15ULL;
        return static_cast<std::size_t>(h ^ (std::bit_cast<std::uint64_t>(p.y + 0.0) * 0xbf58476d1ce4e5b9ULL));
    }
};

class RouteReader {
public:
    explicit RouteReader(const MapPlaces& places) : places_(places) {}

    void read(const InstructionList& list, std::optional<Point> at, bool contingent) {
        for (const Instruction& ins : list) {
            switch (ins.kind) {
            case InstructionKind::Advance:
            case InstructionKind::Assemble:
            case InstructionKind::Attack:
            case InstructionKind::Freeze:
            case InstructionKind::Insert:
            case InstructionKind::Moveup:
            case InstructionKind::Observe:
            case InstructionKind::Pullback:
            case InstructionKind::SignalTowards:
            case InstructionKind::Spread:
            case InstructionKind::TakeCover: visit(ins.first, at, contingent); break;
            case InstructionKind::Defend:
            case InstructionKind::Snipe:
                visit(ins.first, at, contingent);
                visit(ins.second, at, contingent);
                break;
            case InstructionKind::Patrol: patrol(ins, contingent); break;
            // The block may never run: the plan goes on from where it was.
            case InstructionKind::On:
                if (ins.block != nullptr) read(*ins.block, at, true);
                break;
            default: break;
            }
        }
    }

    TeamRoute take() { return std::move(route_); }

private:
    void visit(OptionalText label, std::optional<Point>& at, bool contingent) {
        if (!label) return;
        const std::optional<Point> next = places_.location(*label);
        if (!next) return;
        if (!at) {
            if (starts_.insert(*next).second) route_.starts.push_back(*next);
        } else {
            add(route_.moves, *at, *next, contingent, false);
        }
        at = next;
    }

    void add(std::vector<Leg>& legs, Point from, Point to, bool contingent, bool patrol) {
        if (from == to) return;
        if (!seen_.insert(LegKey{from, to, contingent, patrol}).second) return;
        legs.push_back(Leg{from, to, contingent});
    }

    void patrol(const Instruction& ins, bool contingent) {
        std::optional<Point> first;
        std::optional<Point> last;
        const auto through = [&](std::optional<Point> centre) {
            if (!centre) return;
            if (last) add(route_.patrols, *last, *centre, contingent, true);
            if (!first) first = centre;
            last = centre;
        };
        if (ins.hasAreaList) {
            for (const Text& label : ins.areas) through(places_.areaCentre(label));
        } else {
            // Every area, however often the plan says it: the loop is the same.
            bool& done = everyAreaPatrolled_[contingent ? 1 : 0];
            if (done) return;
            done = true;
            for (std::size_t area = 0; area < places_.mission().areas.size(); ++area) {
                if (!places_.areaPoints(area).empty()) through(places_.areaCentre(area));
            }
        }
        if (first && last) add(route_.patrols, *last, *first, contingent, true);
    }

    const MapPlaces& places_;
    TeamRoute route_;
    std::unordered_set<LegKey, LegKeyHash> seen_;
    std::unordered_set<Point, PointHash> starts_;
    bool everyAreaPatrolled_[2] = {false, false};
};

}  // namespace

TeamRoute routeOf(const Team& team, const MapPlaces& places) {
    RouteReader reader(places);
    reader.read(team.instructions, std::nullopt, false);
    return reader.take();
}

}  // namespace zeb::map
