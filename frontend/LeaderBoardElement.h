#pragma once
// One row of the leaderboard screen: a button with three text columns
// (rank, name, score), each with its own font, offset and colour.

#include "core/Vec2.h"
#include "frontend/Button.h"

#include <cstdint>
#include <string>

class BasicText;

struct LeaderBoardColumn
{
    BasicText* font = nullptr;
    std::string fontPath = "fonts/QuarnVinque20.fnt";
    std::string text;
    Vec2 offset{0.0f, 0.0f};
    rgba8888 colour{255, 255, 255, 255};
};

class LeaderBoardElement : public Button
{
public:
    static constexpr int kColumns = 3;

    int32_t rowIndex = 0;
    int32_t second = 0;
    LeaderBoardColumn rank;
    LeaderBoardColumn name;
    LeaderBoardColumn score;

    LeaderBoardElement() = default;
    LeaderBoardElement(const LeaderBoardElement&) = delete;
    LeaderBoardElement& operator=(const LeaderBoardElement&) = delete;
    ~LeaderBoardElement() override;

    void Update(float dt) override;
    void Render() override;
    // The images take the row's place; the columns their offsets.
    void FollowRow();

private:
    void DrawColumn(LeaderBoardColumn& column);
};
