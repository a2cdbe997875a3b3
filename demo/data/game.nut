// The demo game: a dragon over a small board of tiles.
//
// Its state lives in the root table and is made only once, so that this file
// can run again when it changes on disk (hot reload) and keep the game going
// with the new functions.
if (!("demo" in getroottable()))
{
    ::demo <- {
        state = DemoState.TITLE,
        time = 0.0,
        steps = 0,
        music = SOUNDID_INVALID,
        musicPieces = 0,
        musicChecked = false,
        drone = SOUNDID_INVALID,
        nextFlap = 0.5
    }
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

// The dragon's flight: it circles the board on its own, and the arrow keys or
// the first pad's left stick steer it while they are held. A camera rides
// behind it and a game timer times each full turn of the circle as a lap.
local kCruiseSpeed = 200.0
local kCircleRate = 36.0 // degrees a second: a lap of ten seconds
local kSteerRate = 90.0
local kClimbRate = 60.0
local kStickDeadZone = 0.2

if (!("flight" in getroottable()))
{
    ::flight <- {
        input = InputMap(),
        left = 0, right = 0, up = 0, down = 0, stick = 0,
        position = Vec3(0.0, 120.0, 0.0),
        heading = 0.0,
        turned = 0.0,
        laps = 0,
        lapTimer = GameTimer(),
        camera = CameraController(),
        path = Path(),
        distance = 0.0
    }
}

function AddHeldKey(key)
{
    local command = InputCommand()
    command.InputCommandType = INPUT_COMMAND_TYPE_KEY
    command.Data = key
    command.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_DOWN
    return flight.input.AddInputCommand(command)
}

// Runs after the step that finished the lap, sent as a message.
function LapDone(lap, seconds)
{
    print("lap " + lap + ": " + seconds + " s\n")
}

function StartFlight()
{
    flight.left = AddHeldKey(KEY_LEFT)
    flight.right = AddHeldKey(KEY_RIGHT)
    flight.up = AddHeldKey(KEY_UP)
    flight.down = AddHeldKey(KEY_DOWN)
    local stick = InputCommand()
    stick.UserIndex = USER_0
    stick.InputCommandType = INPUT_COMMAND_TYPE_ANALOG_STICK
    stick.Data = ANALOG_STICK_LEFT
    flight.stick = flight.input.AddInputCommand(stick)
    flight.lapTimer.Start()
}

function Held(command)
{
    return flight.input.GetIsInputCommandConditionExecuted(command) == 1
}

// Steering (-1 left to 1 right) and climbing (-1 down to 1 up) from the keys and the stick.
function ReadSteering()
{
    local steer = 0.0
    local climb = 0.0
    // An open menu takes the arrow keys.
    if (keys.menuOpen)
        return { steer = steer, climb = climb }
    if (Held(flight.left)) steer -= 1.0
    if (Held(flight.right)) steer += 1.0
    if (Held(flight.up)) climb += 1.0
    if (Held(flight.down)) climb -= 1.0
    local axis = flight.input.GetAxis(flight.stick)
    if (fabs(axis.x) > kStickDeadZone) steer += axis.x
    if (fabs(axis.y) > kStickDeadZone) climb -= axis.y
    return { steer = steer, climb = climb }
}

function CountLap(turn)
{
    flight.turned += turn
    if (fabs(flight.turned) < 360.0)
        return
    flight.laps++
    SendFunctionMessage("LapDone", 2, flight.laps, flight.lapTimer.GetTime())
    flight.turned = 0.0
    flight.lapTimer.Stop()
    flight.lapTimer.Start()
}

// Without steering the dragon flies the level's locator path "dragon_flight"
// at cruise speed; steering takes it off the path until it is let go.
function FollowPath(dt)
{
    flight.distance = (flight.distance + kCruiseSpeed * dt) % flight.path.GetTotalDistance()
    local at = Vec3(0.0, 0.0, 0.0)
    local way = Vec3(0.0, 0.0, 1.0)
    flight.path.GetPosAndDirAtDistance(at, way, flight.distance)
    local heading = atan2(way.x, -way.z) * 57.2957764
    local turn = heading - flight.heading
    while (turn > 180.0) turn -= 360.0
    while (turn < -180.0) turn += 360.0
    flight.heading = heading
    flight.position = at
    return turn
}

function StepFlight(dragon, dt)
{
    local steering = ReadSteering()
    local free = steering.steer == 0.0 && steering.climb == 0.0
    local turn = 0.0
    if (free && flight.path.GetPointCount() > 1)
        turn = FollowPath(dt)
    else
    {
        turn = (free ? kCircleRate : steering.steer * kSteerRate) * dt
        flight.heading += turn
        local radians = flight.heading * 0.0174532924
        local ahead = Vec3(sin(radians), 0.0, -cos(radians))
        flight.position = flight.position + ahead * (kCruiseSpeed * dt)
        flight.position.y += steering.climb * kClimbRate * dt
    }
    CountLap(turn)
    local radians = flight.heading * 0.0174532924
    local forward = Vec3(sin(radians), 0.0, -cos(radians))
    dragon.m__position = flight.position
    dragon.FaceXZ(forward.x, forward.z)
    flight.camera.SetFollow(flight.position, Vec3(-forward.x, 0.5, -forward.z), 40.0, flight.heading)
}

// The dragon and the buildings are instances of the table. The classes are
// made once, so that a reload of this file keeps stepping the same dragon;
// their work is done by the functions, which a reload does replace.
if (!("Dragon" in getroottable()))
{
    ::Dragon <- class extends Actor
    {
        constructor(position)
        {
            base.constructor(position)
            SetGraphic("characters/dragon/dragon-carry000-speed000.chmodel")
            SetAnimation("characters/dragon/dragon_flap.chanim")
            SetIsAnimationLooped(true)
        }
        function Step(dt) { StepFlight(this, dt) }
    }
    ::Building <- class extends Prop
    {
        constructor(position) { base.constructor(position) }
    }
}

function StartWorld()
{
    Terrain_Create("levels/hill.chterrain", "terrain/set01/hill.chmodel")
    Locator_Create("levels/flight.loc", "levels/spawns.loc")
    flight.path.SetPointsByName("dragon_flight")
    InstanceCreate(Dragon, flight.position)
    InstanceCreate(Building, kWindmill).SetGraphic("buildings/set01/Windmill01.chmodel")
    InstanceCreate(Building, Vec3(400.0, 0.0, -160.0)).SetGraphic("buildings/set01/SmallHouse01.chmodel")
}

// Day turns to night and back: the sun's preset by day, a dim blue one at
// night when lamps light up around the buildings. Directions are seen from
// the camera: the sun comes from the upper right.
local kDayNightSeconds = 10.0
local kLamps = [
    { position = Vec3(400.0, 40.0, -220.0), colour = Vec3(1.0, 0.8, 0.45) },
    { position = Vec3(-300.0, 40.0, 250.0), colour = Vec3(1.0, 0.7, 0.4) },
    { position = Vec3(0.0, 30.0, 0.0), colour = Vec3(0.6, 0.7, 1.0) }
]

if (!("sky" in getroottable()))
    ::sky <- { night = false, lamps = [] }

function StartLights()
{
    SetDefaultGlobalLight(Vec3(-0.6, -0.5, -0.6), Vec3(0.75, 0.72, 0.62), Vec3(0.2, 0.2, 0.2),
                          Vec3(0.45, 0.45, 0.5), 8.0, Vec3(1.0, 1.0, 1.0))
    SetNightGlobalLight(Vec3(-0.3, -0.8, -0.5), Vec3(0.12, 0.14, 0.25), Vec3(0.05, 0.05, 0.1),
                        Vec3(0.12, 0.12, 0.2), 8.0, Vec3(1.0, 1.0, 1.0))
    SetAmbientOcclusion(true)
    SetNearFarPlanes(10.0, 5000.0)
    DeleteAllLights()
    sky.lamps = []
    foreach (lamp in kLamps)
    {
        local id = CreatePointLight()
        SetPointLight(id, lamp.position, lamp.colour, lamp.colour * 0.5, 260.0, 1.6)
        ActivateLight(id, false)
        sky.lamps.append(id)
    }
    SetDay(false)
}

function SetDay(night)
{
    sky.night = night
    SetLightMode(night ? LightModeTypeEnum.LIGHT_MODE_TYPE_NIGHT : LightModeTypeEnum.LIGHT_MODE_TYPE_DAY)
    foreach (id in sky.lamps)
        ActivateLight(id, night)
}

function StepLights()
{
    local night = (demo.time / kDayNightSeconds).tointeger() % 2 == 1
    if (night != sky.night)
        SetDay(night)
}

// Keys of the game itself (the engine keeps Tab, Print Screen, F2, F3, F9
// and Alt+F4): P pauses and resumes, M opens and closes the menu, Escape
// closes an open menu or else leaves the game and quits.
if (!("keys" in getroottable()))
    ::keys <- { input = InputMap(), escape = 0, pause = 0, menu = 0, menuOpen = false }

function AddNewlyPressedKey(key)
{
    local command = InputCommand()
    command.InputCommandType = INPUT_COMMAND_TYPE_KEY
    command.Data = key
    command.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN
    return keys.input.AddInputCommand(command)
}

function StartKeys()
{
    keys.escape = AddNewlyPressedKey(KEY_ESCAPE)
    keys.pause = AddNewlyPressedKey(DEMO_KEY_P)
    keys.menu = AddNewlyPressedKey(DEMO_KEY_M)
}

function Pressed(command)
{
    return keys.input.GetIsInputCommandConditionExecuted(command) == 1
}

function StepKeys()
{
    if (Pressed(keys.escape))
    {
        if (keys.menuOpen || IsPaused())
        {
            keys.menuOpen = false
            SetPaused(false)
            return
        }
        SetInGame(false)
        QuitGame()
        return
    }
    if (Pressed(keys.pause))
        SetPaused(!IsPaused())
    if (Pressed(keys.menu))
        keys.menuOpen = !keys.menuOpen
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
    StartFlight()
    StartWorld()
    StartLights()
    StartKeys()
    flight.camera.SetAsCurrentCamera()
    SetInGame(true)
    // Tells whoever watches the window that the level is up.
    SetAppTitle("Tolvan - playing")
}

function QUARNFINALHACKMESSAGES()
{
}

function GameStep(dt)
{
    demo.time += dt
    demo.steps++
    StepKeys()
    StepSounds(dt)
    InstanceStep(Dragon, dt)
    InstanceStep(Building, dt)
    StepLights()
}

function PausedStep(dt)
{
    StepKeys()
}

function OnPause()
{
    demo.state = DemoState.PAUSED
}

function OnUnpause()
{
    demo.state = DemoState.PLAYING
}

function ViewUpdate(dt)
{
    flight.camera.CalculateTransforms()
}

// A changed data file that the engine does not reload itself.
function FileChanged(name)
{
    SetAppTitle("Tolvan: " + name + " changed")
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
