// The demo game: a dragon over a small board of tiles.
local demo = {
    state = DemoState.TITLE,
    time = 0.0,
    steps = 0,
    music = SOUNDID_INVALID,
    musicPieces = 0,
    musicChecked = false,
    drone = SOUNDID_INVALID,
    nextFlap = 0.5
}

// The windmill's place on the board; its drone is heard within this distance.
local kWindmill = Vec3(400.0, 0.0, -300.0)
local kDroneDistance = 1500.0
// Three whole pieces of music (a second each) and a little more.
local kMusicCheckTime = 3.5

// The music stream asks for each next piece: the two pieces take turns.
function NextMusicPiece()
{
    demo.musicPieces++
    return (demo.musicPieces % 2) == 1 ? "MUSIC_A" : "MUSIC_B"
}

function StartSounds()
{
    Load_SoundDef("demo.txt")
    demo.music = Sound.PlayStreamWithCallback("NextMusicPiece", SST_MUSIC)
    demo.drone = Sound.PlayPositionalSound("DRONE", kWindmill, kDroneDistance)
}

// Without a sound device nothing plays and there is nothing to check.
function CheckMusic()
{
    if (demo.musicChecked || demo.music == SOUNDID_INVALID || demo.time < kMusicCheckTime)
        return
    demo.musicChecked = true
    if (!Sound.IsAlive(demo.music) || demo.musicPieces < 4)
        throw "the music stream ended after " + demo.musicPieces + " pieces"
}

function StepSounds(dt)
{
    if (demo.time >= demo.nextFlap)
    {
        Sound.PlaySound("FLAP")
        demo.nextFlap += 0.5
    }
    CheckMusic()
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
    StartSounds()
}

function QUARNFINALHACKMESSAGES()
{
}

function GameStep(dt)
{
    demo.time += dt
    demo.steps++
    StepSounds(dt)
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
