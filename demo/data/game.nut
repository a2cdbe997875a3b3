// The demo game: a dragon over a small board of tiles.
local demo = {
    state = DemoState.TITLE,
    time = 0.0,
    steps = 0
}

function InitOptionData(fileName)
{
    demo.optionFile <- fileName
}

function LoadOptionData()
{
}

function SetScreenSize(width, height)
{
    demo.width <- width
    demo.height <- height
}

function GameCreate()
{
    demo.state = DemoState.PLAYING
}

function QUARNFINALHACKMESSAGES()
{
}

function GameStep(dt)
{
    demo.time += dt
    demo.steps++
}

function PausedStep(dt)
{
}

function ViewUpdate(dt)
{
}

// The overlay's two callbacks: first under the overlay's scale and offset,
// then in plain screen pixels.
function RenderOverlayStepScaled(dt)
{
    demo.overlayFrames <- ("overlayFrames" in demo ? demo.overlayFrames : 0) + 1
}

function RenderOverlayStep(dt)
{
}
