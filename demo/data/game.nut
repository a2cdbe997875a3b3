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
        position = Vec3(0.0, 65.0, -300.0),
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
    if (keys.menuOpen || keys.upgradesOpen)
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
    local speed = kCruiseSpeed * (1.0 + UpgradeLevel(1) * 0.1)
    flight.distance = (flight.distance + speed * dt) % flight.path.GetTotalDistance()
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
    // Kept until the screens open again: their title tells if keys reached
    // the dragon under them.
    if (!free && keys.upgradesOpen)
        flight.steeredUnderScreens <- true
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
    Locator_Create("levels/flight.loc", "levels/spawns.loc")
    flight.path.SetPointsByName("dragon_flight")
    InstanceCreate(Dragon, flight.position)
    InstanceCreate(Building, kWindmill).SetGraphic("buildings/set01/Windmill01.chmodel")
    InstanceCreate(Building, Vec3(400.0, 0.0, -160.0)).SetGraphic("buildings/set01/SmallHouse01.chmodel")
    // Moved onto the knight's goal once the grid is read.
    fireDemo.castle = InstanceCreate(Building, Vec3(180.0, 0.0, 300.0))
    fireDemo.castle.SetGraphic("buildings/set01/Castle01.chmodel")
}

// Glowing crystals float on the dragon's flight path, where the tip says
// they are. Only the dragon's breath gathers them: its cone (a slice ahead
// of the dragon) is enabled while Space is held, and the collision manager
// pairs it with each crystal's sphere.
local kCrystalCount = 8
local kCrystalRise = 4.0 // the crystal's middle a little over the path
// The cone, its apex a little behind the dragon's middle, and how far the
// fire reaches. The collision manager takes the cone's angle in degrees and
// compares half of it, in radians, with one minus the cosine of the angle to
// a target: 35 reaches about 45 degrees either side, wide enough for the
// houses beside the path.
local kBreathCone = 35.0
local kBreathApex = -5.0
local kBreathReach = 90.0
local kCrystalReach = 60.0
local kCrystalScore = 100

if (!("pickups" in getroottable()))
{
    ::pickups <- { collected = 0 }
    ::Pickup <- class extends Prop
    {
        constructor(position) { base.constructor(position) }
        glow = null
        sparkle = null
    }
}

function StartPickups()
{
    Collision.InitAsGrid(64, -1000.0, -1000.0, 1000.0, 1000.0, 100.0)
    local dragon = InstanceFind(Dragon, 0)
    Collision.RegisterSliceObject(dragon, "breath", kBreathCone, kBreathApex, 0.0)
    Collision.Disable(dragon, "breath")
    Collision.RegisterCallback("breath", "pickup", "PickupCollected", false, kCrystalReach)
}

// A spot on the flight path, `along` of the way round (0 to 1).
function FlightSpot(along)
{
    local spot = Vec3(0.0, 65.0, 0.0)
    if (flight.path.GetPointCount() > 1)
        flight.path.GetPosAtDistance(spot, flight.path.GetTotalDistance() * along)
    return spot
}

function PlaceCrystals()
{
    foreach (pickup in InstanceArray(Pickup))
        RemoveCrystal(pickup)
    pickups.collected = 0
    for (local i = 0; i < kCrystalCount; i++)
    {
        local at = FlightSpot((i + 0.6) / kCrystalCount) + Vec3(0.0, kCrystalRise, 0.0)
        local pickup = InstanceCreate(Pickup, at)
        pickup.glow = FX()
        pickup.glow.CreateFX("crystal")
        pickup.glow.SetPos(at)
        pickup.sparkle = FX()
        pickup.sparkle.CreateFX("pickup_sparkle")
        pickup.sparkle.SetPos(at)
        Collision.RegisterSphereObject(pickup, "pickup", 0.0)
    }
}

function RemoveCrystal(pickup)
{
    Collision.DeregisterObject(pickup, "pickup")
    foreach (fx in [pickup.glow, pickup.sparkle])
        if (fx != null)
            fx.KillByFadeOut(0.3)
    InstanceDestroy(pickup)
}

function PickupCollected(dragon, pickup, dt)
{
    if (!round.playing || !hud.breathing)
        return
    Burst("spark_gold", pickup.m__position)
    RemoveCrystal(pickup)
    pickups.collected++
    AddScore(kCrystalScore)
    Tell("Crystal gathered: " + pickups.collected + " of " + kCrystalCount + " (+" + kCrystalScore + ")")
    if (pickups.collected == kCrystalCount)
        EndRound("You gathered every crystal!")
}

// The board drops into place once the level is up: tiles fall from a height
// with random delays and tilts and bounce once, and the buildings' meshes
// follow a little later.
local kBoardMap = "levels/board.map"
local kDropHeight = 40.0
local kBoardTiles = "terrain/board"

function StartBoard()
{
    TileTerrain_Load(kBoardMap, kBoardTiles)
    // A low drop: the camera rides high above it until the board is down.
    TileTerrain_SetUpForDropXZ(kDropHeight, -900.0, 0.6, 20.0, 20.0, 0.35, 0.3)
    foreach (building in InstanceArray(Building))
    {
        building.HashAllMeshNames()
        building.AddAllMeshToDrop()
        building.TileTerrain_AddPropDropToTileTerrain()
    }
}

// Long after the drop the board lies at rest, all 8 x 8 tiles of it.
local kBoardCheckTime = 12.0

function CheckBoard()
{
    if (demo.time < kBoardCheckTime || "boardChecked" in demo)
        return
    demo.boardChecked <- true
    if (TileTerrain_GetWidth() != 8 || TileTerrain_GetHeight() != 8 || TileTerrain_IsDropping())
        throw "the board is not at rest after " + demo.time + " s"
}

// A Mover3D and a Rotator ease the dragon after the point and heading its
// flight gives, so its glide and turns are smooth; the camera rides behind
// the eased dragon.
if (!("glide" in getroottable()))
    ::glide <- { mover = Mover3D(), turn = Rotator(), started = false }

function StartGlide()
{
    glide.mover.SetMaxAccel(900.0)
    glide.mover.SetMaxSpeed(400.0)
    glide.mover.SetMaxDeccel(2500.0)
    glide.mover.SetValue(flight.position)
    glide.turn.SetAcceleration(8.0)
    glide.turn.SetRotSpeedMax(2.5)
    glide.turn.SetTargetRot(flight.heading * 0.0174532924)
    glide.started = true
}

// 1 while the board drops (the camera then rides well above the highest
// falling tile), easing to 0 over two seconds once it has landed.
local kLiftEase = 0.5

function CameraLift(dt)
{
    if (!("lift" in glide))
        glide.lift <- 1.0
    if (TileTerrain_IsDropping())
        glide.lift = 1.0
    else
        glide.lift = glide.lift > kLiftEase * dt ? glide.lift - kLiftEase * dt : 0.0
    local t = glide.lift
    return t * t * (3.0 - 2.0 * t)
}

function SmoothFlight(dt)
{
    local dragon = InstanceFind(Dragon, 0)
    if (dragon == null)
        return
    if (!glide.started)
        StartGlide()
    glide.mover.SetDestination(flight.position)
    glide.mover.Update(dt)
    glide.turn.SetTargetRot(flight.heading * 0.0174532924)
    glide.turn.Update(dt)
    local at = glide.mover.GetValue()
    local turn = glide.turn.GetRotation()
    local forward = Vec3(sin(turn), 0.0, -cos(turn))
    dragon.m__position = at
    dragon.FaceXZ(forward.x, forward.z)
    local lift = CameraLift(dt)
    flight.camera.SetFollow(at, Vec3(-forward.x, 0.5 + 1.5 * lift, -forward.z), 40.0 + 60.0 * lift,
                            turn * 57.2957764)
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

// At night the dragon carries a warm glow below it, so the camera it leads
// always sees a pool of point light on the ground.
local kGlowBelow = 40.0
local kGlowRadius = 150.0
local kLampRadius = 140.0
local kGlowColour = Vec3(1.0, 0.6, 0.3)

// N swaps day and night: the cycle runs on from the other half.
if (!("sky" in getroottable()))
    ::sky <- { night = false, lamps = [], shift = 0.0 }
if (!("glow" in sky))
    sky.glow <- -1

function StartLights()
{
    SetDefaultGlobalLight(Vec3(-0.6, -0.5, -0.6), Vec3(0.75, 0.72, 0.62), Vec3(0.2, 0.2, 0.2),
                          Vec3(0.45, 0.45, 0.5), 8.0, Vec3(1.0, 1.0, 1.0))
    SetNightGlobalLight(Vec3(-0.3, -0.8, -0.5), Vec3(0.1, 0.13, 0.3), Vec3(0.05, 0.05, 0.1),
                        Vec3(0.05, 0.06, 0.14), 8.0, Vec3(1.0, 1.0, 1.0))
    SetAmbientOcclusion(true)
    SetNearFarPlanes(10.0, 5000.0)
    DeleteAllLights()
    sky.lamps = []
    foreach (lamp in kLamps)
    {
        local id = CreatePointLight()
        SetPointLight(id, lamp.position, lamp.colour, lamp.colour * 0.5, kLampRadius, 1.6)
        ActivateLight(id, false)
        sky.lamps.append(id)
    }
    sky.glow = CreatePointLight()
    SetPointLight(sky.glow, flight.position, kGlowColour, kGlowColour * 0.5, kGlowRadius, 3.0)
    ActivateLight(sky.glow, false)
    SetDay(false)
}

function SetDay(night)
{
    sky.night = night
    SetLightMode(night ? LightModeTypeEnum.LIGHT_MODE_TYPE_NIGHT : LightModeTypeEnum.LIGHT_MODE_TYPE_DAY)
    foreach (id in sky.lamps)
        ActivateLight(id, night)
    ActivateLight(sky.glow, night)
}

// With a fixed sky N swaps it for this run; the options file keeps the choice.
function SwapDayAndNight()
{
    sky.shift += kDayNightSeconds
    if (options.sky != 0)
        options.sky = sky.night ? 1 : 2
    SetDay(!sky.night)
}

function StepLights()
{
    local night = options.sky == 0 ? ((demo.time + sky.shift) / kDayNightSeconds).tointeger() % 2 == 1
                                   : options.sky == 2
    if (night != sky.night)
        SetDay(night)
    local dragon = InstanceFind(Dragon, 0)
    if (dragon != null)
        SetPointLightPos(sky.glow, dragon.m__position - Vec3(0.0, kGlowBelow, 0.0))
}

// Effects made of lights, sounds, a mesh and spawned children: a crystal
// that spins by its animation, fireworks over the board, a lamp that is lit
// at night, and fireballs the dragon spits, each with a whoosh that flies
// with it.
local kCrystalAt = Vec3(225.0, 150.0, -225.0)
local kFireworksAt = Vec3(0.0, 160.0, 0.0)
local kNightLampAt = Vec3(-250.0, 35.0, -200.0)
local kFireballEvery = 3.0
local kFireballSpeed = 350.0

if (!("sceneFx" in getroottable()))
    ::sceneFx <- { crystal = FX(), fireworks = FX(), lamp = FX(), fireballs = [], nextFireball = 2.0 }

function StartSceneEffects()
{
    sceneFx.crystal.CreateFX("crystal")
    if (!sceneFx.crystal.StillAlive())
        throw "the crystal effect did not start: are effects/crystal.csv and its model there?"
    sceneFx.crystal.SetPos(kCrystalAt)
    sceneFx.fireworks.CreateFX("fireworks")
    sceneFx.fireworks.SetPos(kFireworksAt)
}

function SpitFireball()
{
    local radians = flight.heading * 0.0174532924
    local ahead = Vec3(sin(radians), 0.0, -cos(radians))
    local fireball = { fx = FX(), at = flight.position + ahead * 8.0, velocity = ahead * kFireballSpeed }
    fireball.fx.CreateFX("fireball")
    fireball.fx.SetPos(fireball.at)
    sceneFx.fireballs.append(fireball)
}

function StepSceneEffects(dt)
{
    if (sky.night && !sceneFx.lamp.StillAlive())
    {
        sceneFx.lamp.CreateFX("lamp")
        sceneFx.lamp.SetPos(kNightLampAt)
    }
    else if (!sky.night && sceneFx.lamp.StillAlive())
        sceneFx.lamp.KillByFadeOut(0.0)
    local flying = []
    foreach (fireball in sceneFx.fireballs)
    {
        if (!fireball.fx.StillAlive())
            continue
        fireball.at = fireball.at + fireball.velocity * dt
        fireball.fx.SetPos(fireball.at)
        flying.append(fireball)
    }
    sceneFx.fireballs = flying
}

// Keys of the game itself (the engine keeps Tab, Print Screen, F2, F3, F9
// and Alt+F4): P pauses and resumes, M opens and closes the menu, U the
// upgrade and leaderboard screens, N swaps day and night, Escape closes an
// open menu or else leaves the game and quits.
if (!("keys" in getroottable()))
    ::keys <- { input = InputMap(), escape = 0, pause = 0, menu = 0, night = 0, menuOpen = false }

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
    keys.night = AddNewlyPressedKey(DEMO_KEY_N)
    // A table kept from before a reload may lack the later keys.
    keys.upgrades <- AddNewlyPressedKey(DEMO_KEY_U)
    keys.upgradesOpen <- false
    keys.confirm <- AddNewlyPressedKey(KEY_RETURN)
}

function Pressed(command)
{
    return keys.input.GetIsInputCommandConditionExecuted(command) == 1
}

// One menu at a time: P does nothing over the M menu or the upgrade screens,
// M and U nothing while paused or while the other is open.
function StepKeys()
{
    if (Pressed(keys.escape))
    {
        if (keys.menuOpen)
            CloseMenu()
        else if (keys.upgradesOpen)
            ShowUpgradeScreens(false)
        else if (IsPaused())
            SetPaused(false)
        else
        {
            SetInGame(false)
            QuitGame()
        }
        return
    }
    if (Pressed(keys.pause) && !keys.menuOpen && !keys.upgradesOpen)
        SetPaused(!IsPaused())
    if (Pressed(keys.upgrades) && !IsPaused() && !keys.menuOpen)
        ShowUpgradeScreens(!keys.upgradesOpen)
    if (Pressed(keys.menu) && !IsPaused() && !keys.upgradesOpen)
    {
        if (keys.menuOpen)
            CloseMenu()
        else
            OpenMenu()
    }
    if (Pressed(keys.night))
        SwapDayAndNight()
    if (keys.menuOpen)
        StepMenu()
}

// U shows the upgrade and leaderboard screens together; the M menu opens
// either alone.
function ShowUpgradeScreens(open)
{
    ShowHudScreens(open, open)
}

// The window title tells whoever watches the window what the game is doing.
function ShowTitle(what)
{
    demo.title <- what
    SetAppTitle("Tolvan - " + what)
}

// The player's options, kept in the options file as name and value pairs:
// full screen (0 or 1), sound volume (0 to 100) and the sky (0 day and
// night in turn, 1 always day, 2 always night). A first run writes the
// file, so the next starts windowed; each change writes it again, and the
// next start reads it back.
if (!("options" in getroottable()))
    ::options <- { fullscreen = 0, volume = 100, sky = 0, file = "OptionData.txt", applied = false }
local kSkyNames = ["day and night", "always day", "always night"]
local kVolumeStep = 25

function InitOptionData(fileName)
{
    options.file = fileName
    local reader = SaveLoadFunctions()
    local present = reader.SetupFileAndInitParser(fileName, false) == 1
    reader.CleanUpParser()
    if (!present)
        WriteOptionData()
}

function WriteOptionData()
{
    local text = composer()
    text.Init(128)
    foreach (name in ["fullscreen", "volume", "sky"])
        text.AddToken(name, 0, options[name].tostring(), 0)
    SaveLoadFunctions().WriteToFile(text, options.file, false)
}

// A value out of its range, or one that is not a number, keeps the default.
function LoadOptionData()
{
    local limits = { fullscreen = 1, volume = 100, sky = 2 }
    local reader = SaveLoadFunctions()
    if (reader.SetupFileAndInitParser(options.file, false) == 1)
    {
        for (local name = reader.GetToken(); name != ""; name = reader.GetToken())
        {
            if (!(name in limits))
                continue
            local value = -1
            try { value = reader.GetToken().tointeger() } catch (error) { value = -1 }
            if (value >= 0 && value <= limits[name])
                options[name] = value
        }
    }
    reader.CleanUpParser()
}

// Volume and sky take effect at once; full screen through the engine's
// screen change, which needs the display (so from GameCreate on).
function ApplyOptions()
{
    local volume = options.volume / 100.0
    foreach (type in [SST_SOUNDFX, SST_MUSIC, SST_FEFX])
        Sound.SetTypeMasterVolume(type, volume)
    if (options.sky != 0)
        SetDay(options.sky == 2)
    local full = options.fullscreen == 1
    if (!("shownFull" in options) || options.shownFull != full)
    {
        if ("shownFull" in options || full)
            ChangeScreenSize(demo.width, demo.height, full)
        options.shownFull <- full
    }
}

function OptionsText()
{
    return (options.fullscreen == 1 ? "full screen" : "windowed") + ", volume " + options.volume + ", " +
           kSkyNames[options.sky]
}

// The options screen's buttons say what each option is now.
function ShowOptionTexts()
{
    local item = UIItemInterfaceProxy()
    foreach (name, text in { optfullscreen = "Full screen: " + (options.fullscreen == 1 ? "on" : "off"),
                             optvolume = "Sound volume: " + options.volume + "%",
                             optsky = "Sky: " + kSkyNames[options.sky] })
    {
        item.SetToItemByName(name)
        item.SetUIPropertyString(text, 3)
    }
    ShowTitle("options: " + OptionsText())
}

function ChangeOption(name, value)
{
    options[name] = value
    WriteOptionData()
    ApplyOptions()
    ShowOptionTexts()
    Tell("Options: " + OptionsText())
}

// The options screen's button functions.
function ToggleFullScreen()
{
    ChangeOption("fullscreen", 1 - options.fullscreen)
}

function StepVolume()
{
    ChangeOption("volume", options.volume >= kVolumeStep ? options.volume - kVolumeStep : 100)
}

function CycleSky()
{
    ChangeOption("sky", (options.sky + 1) % kSkyNames.len())
}

// Effects: smoke from the house's chimney, warmed at night by a colour
// multiply; a trail behind the dragon; bursts where something happened.
local kChimney = Vec3(405.1, 19.5, -162.4)

if (!("effects" in getroottable()))
    ::effects <- { smoke = null, trail = null, bursts = [] }

function StartEffects()
{
    FX.KillAllEffectsInstant()
    effects.smoke = FX()
    effects.smoke.CreateFX("chimney_smoke")
    effects.smoke.SetPos(kChimney)
    effects.trail = FX()
    effects.trail.CreateFX("dragon_trail")
    effects.bursts <- []
}

// A one-off effect at a place; kept until it has played out.
function Burst(name, at)
{
    local fx = FX()
    fx.CreateFX(name)
    fx.SetPos(at)
    if (!("bursts" in effects))
        effects.bursts <- []
    effects.bursts.append(fx)
}

function StepEffects(dt)
{
    if ("bursts" in effects)
    {
        local alive = []
        foreach (fx in effects.bursts)
            if (fx.StillAlive())
                alive.append(fx)
        effects.bursts = alive
    }
    local tint = sky.night ? Vec3(1.0, 0.5, 0.3) : Vec3(1.0, 1.0, 1.0)
    effects.smoke.SetRGBMultiplyNthPrimitive(tint, 0)
    // The trail hangs behind the dragon, its width across the dragon's wings.
    local radians = flight.heading * 0.0174532924
    local forward = Vec3(sin(radians), 0.0, -cos(radians))
    local m = Mat4()
    m.orientY(forward)
    local dragon = InstanceFind(Dragon, 0)
    local at = (dragon != null ? dragon.m__position : flight.position) - forward * 5.0 + Vec3(0.0, 1.8, 0.0)
    m.x = at.x
    m.y = at.y
    m.z = at.z
    effects.trail.SetMat(m)
}

function SetScreenSize(width, height)
{
    demo.width <- width
    demo.height <- height
}

// Bars over the world: a fill bar and a label over the dragon, added again
// at its place every step (bars do not move), and over each building a
// label, a picture and a bar that stay where they were put.
if (!("bars" in getroottable()))
    ::bars <- { font = null, flag = -1, dragonBar = -1, dragonLabel = -1 }

function StartBars()
{
    BarsClear()
    bars.font = BasicText("fonts/QuarnVinque20.fnt")
    if (bars.flag < 0)
        bars.flag = BarAddTextureToTexturePool("frontend/barflag.tga")
    local white = rgba8888(255, 255, 255, 255)
    local labels = [{ at = kWindmill + Vec3(0.0, 44.0, 0.0), name = "Windmill", colour = white }]
    if (fireDemo.castle != null)
        labels.append({ at = fireDemo.castle.m__position + Vec3(0.0, 46.0, 0.0), name = "Castle", colour = white })
    foreach (house in InstanceArray(FireHouse))
    {
        local lit = house.litAt >= 0.0
        labels.append({ at = house.m__position + Vec3(0.0, 24.0, 0.0), name = lit ? "Burning!" : "House",
                        colour = lit ? rgba8888(255, 150, 60, 255) : white })
    }
    foreach (label in labels)
    {
        BarStringAdd(label.name, bars.font, label.at, 0.25, label.colour)
        // The flag between the label and the roof, clear of the text.
        BarTextureAdd(bars.flag, label.at - Vec3(0.0, 8.0, 0.0), 3.0, 3.0, white)
    }
    bars.dragonBar = -1
    bars.dragonLabel = -1
}

function RemoveDragonBars()
{
    BarDestroyByIndex(BAR_TYPE_REGULAR, bars.dragonBar)
    BarDestroyByIndex(BAR_TYPE_STRING, bars.dragonLabel)
    bars.dragonBar = -1
    bars.dragonLabel = -1
}

// The dragon's health over it, kept off the screens and menus drawn over
// the scene.
function StepBars(dt)
{
    RemoveDragonBars()
    // P pressed in this very step has paused the game already.
    if (IsPaused() || keys.menuOpen || keys.upgradesOpen || !round.playing)
        return
    // Over the eased dragon the camera rides behind: the flight's own point
    // runs ahead of it, and in a climb far enough to leave the screen.
    local dragon = InstanceFind(Dragon, 0)
    local above = (dragon != null ? dragon.m__position : flight.position) + Vec3(0.0, 6.5, 0.0)
    bars.dragonBar = BarAdd(round.health, above, 5.0, 0.4, rgba8888(240, 70, 40, 255), rgba8888(30, 30, 30, 200),
                            true)
    bars.dragonLabel = BarStringAdd("Dragon", bars.font, above + Vec3(0.0, 1.1, 0.0), 0.03,
                                    rgba8888(255, 240, 160, 255))
}

// ---- Online play. The demo counts its runs in a local and a cloud save,
// unlocks an achievement, sets a statistic and hosts a lobby. Started with "-netquickstartchild" it joins the first
// listed game instead. Every released lock-step each node sends its dragon
// to the others; once a step's records of nodes 0 and 1 are both known, the
// step and a checksum of the two go into the local save, so that two nodes
// can be compared afterwards. Nobody joining, or no platform, changes nothing
// else.
local kSaveName = "demo.sav"
local kStepDelta = 0.2
local kListEvery = 0.25
local kJoinWait = 3.0
local kKeptSteps = 50
local kKeptPairs = 400
local kChecksumModulus = 1000003
local kAchievementHatchling = 64
local kStatistic = 0
local kBoard = 1

if (!("net" in getroottable()))
{
    ::net <- {
        role = "alone",
        runs = 0,
        send = DataPacker(),
        receive = DataPacker(),
        lastStep = -1,
        records = {},
        pairs = [],
        lobbies = -1,
        listAsked = false,
        nextList = 0.0,
        joining = false,
        joinGiveUp = 0.0,
        left = false,
        peer = null,
        peerDragon = null
    }
    ::PeerDragon <- class extends Actor
    {
        constructor(position)
        {
            base.constructor(position)
            SetGraphic("characters/dragon/dragon-carry000-speed000.chmodel")
        }
    }
}

function SetUpForNetQuickStartParent()
{
    net.role = "parent"
}

function SetUpForNetQuickStartChild()
{
    net.role = "child"
}

// The run count of a save; 0 when the save, or a readable count, is missing.
function LoadSavedRuns(fromCloud)
{
    local loader = SaveLoadFunctions()
    local runs = 0
    if (loader.SetupFileAndInitParser(kSaveName, fromCloud) == 1)
    {
        for (local token = loader.GetToken(); token != ""; token = loader.GetToken())
            if (token == "runs")
            {
                try { runs = loader.GetToken().tointeger() } catch (error) { runs = 0 }
                break
            }
    }
    loader.CleanUpParser()
    return runs
}

function WriteSave(toCloud)
{
    local text = composer()
    text.Init(256 + 32 * net.pairs.len())
    text.AddToken("runs", 0, net.runs.tostring(), 0)
    text.AddToken("node", 0, ConnectionMaker_GetMyNetID().tostring(), 0)
    text.AddToken("left", 0, net.left ? "1" : "0", 0)
    text.AddToken("lobbies", 0, net.lobbies.tostring(), 0)
    foreach (pair in net.pairs)
        text.AddToken("pair", 0, pair[0] + " " + pair[1], 0)
    text.AddToken("end", 0, "1", 0)
    SaveLoadFunctions().WriteToFile(text, kSaveName, toCloud)
}

function StartNetDemo()
{
    local local_ = LoadSavedRuns(false)
    local cloud = LoadSavedRuns(true)
    net.runs = (local_ > cloud ? local_ : cloud) + 1
    WriteSave(false)
    WriteSave(true)
    Steam_SetAchievement(kAchievementHatchling)
    Steam_SetStat(kStatistic, net.runs)
    NetworkCommunicator_Init()
    ConnectionMaker_ScriptSetSendRecvDataPackers(net.send, net.receive)
    if (net.role != "child")
    {
        MatchingService_MakeMyGame()
        ConnectionMaker_SetStepDelta(kStepDelta, kStepDelta)
    }
    else
        MatchingService_AskForGames(-1)
    net.nextList = demo.time + kListEvery
}

// Once the lobby is made, the host lists the games and keeps their count.
function ListOwnGame()
{
    if (net.listAsked && net.lobbies < 0)
        net.lobbies = MatchingService_GetAvailableGameCount()
    else if (!net.listAsked && MatchingService_IsMyGameCreated())
    {
        net.listAsked = true
        MatchingService_AskForGames(-1)
    }
}

// The child asks for the list again until it holds a game, then joins the
// first; a join that fails or is refused is tried again at the next look,
// and one that brings no grant is given up after a while.
function JoinListedGame()
{
    if (net.left || MatchingService_HasJoinedGame() || net.joining && demo.time < net.joinGiveUp)
        return
    net.joining = false
    net.lobbies = MatchingService_GetAvailableGameCount()
    if (net.lobbies > 0)
    {
        net.joining = true
        net.joinGiveUp = demo.time + kJoinWait
        MatchingService_JoinNthGame(0)
    }
    else
        MatchingService_AskForGames(-1)
}

function StepNetDemo(dt)
{
    if (demo.time < net.nextList)
        return
    net.nextList = demo.time + kListEvery
    if (net.role == "child")
        JoinListedGame()
    else
        ListOwnGame()
}

function CanAnotherNodeJoin()
{
    return true
}

function NetworkNewNodeJoined(id)
{
    // Both sides count steps from here.
    ConnectionMaker_SetStepDelta(kStepDelta, kStepDelta)
    net.records = {}
    net.lastStep = -1
}

function SorryYouCanNotJoin()
{
    net.joining = false
}

function FailedJoiningGame()
{
    net.joining = false
}

function NetworkNodeDisconnect(id)
{
    if (id == 0 && !ConnectionMaker_IamParent())
    {
        net.left = true
        net.joining = false
        WriteSave(false)
    }
}

// A record's part of a step's checksum, from the values as they arrive.
function DragonChecksum(sum, info)
{
    foreach (value in [info.controlerIndex, (info.posX * 130.0).tointeger(), (info.posZ * 130.0).tointeger(),
                       (info.angle * 150.0).tointeger(), info.bBREATHING, (info.breathRatio * 400.0).tointeger()])
        sum = (sum * 33 + (value & 0xFFFF)) % kChecksumModulus
    return sum
}

function RememberDragon(step, info)
{
    if (!(step in net.records))
        net.records[step] <- {}
    net.records[step][info.controlerIndex] <- info
    if ((step - kKeptSteps) in net.records)
        delete net.records[step - kKeptSteps]
    local both = net.records[step]
    if (!(0 in both) || !(1 in both))
        return
    net.pairs.append([step, DragonChecksum(DragonChecksum(step % kChecksumModulus, both[0]), both[1])])
    delete net.records[step]
    if (net.pairs.len() > kKeptPairs)
        net.pairs.remove(0)
    WriteSave(false)
}

function ShowPeerDragon(info)
{
    if (net.peerDragon == null)
        net.peerDragon = InstanceCreate(PeerDragon, Vec3(info.posX, flight.position.y, info.posZ))
    net.peerDragon.m__position = Vec3(info.posX, flight.position.y, info.posZ)
    net.peerDragon.FaceXZ(sin(info.angle), -cos(info.angle))
}

function SendDragon(step)
{
    local me = ConnectionMaker_GetMyNetID()
    local info = NetDragonInfoUnCompressed()
    info.controlerIndex = me
    info.posX = flight.position.x
    info.posZ = flight.position.z
    info.angle = flight.heading * 0.0174532924
    info.bBREATHING = 0
    info.breathRatio = 0.5 + 0.5 * sin(demo.time)
    ConnectionMaker_ScriptSetSendRecvDataPackers(net.send, net.receive)
    net.send.PackInt(step)
    info.PackToNetwork()
    for (local n = 0; n < ConnectionMaker_GetGameNodeCount(); n++)
    {
        local id = ConnectionMaker_GetNThNodeNetID(n)
        if (ConnectionMaker_IsNThNodeValid(n) && id != me)
            ConnectionMaker_SendToNodeWithNetID(id, net.send, true)
    }
    // Our own record is read back as the others read it.
    net.receive.SetToBegin()
    net.receive.UnPackInt()
    local own = NetDragonInfoUnCompressed()
    own.UnPackFromNetwork()
    RememberDragon(step, own)
}

function NetworkRecvFromNetID(id)
{
    local step = net.receive.UnPackInt()
    local info = NetDragonInfoUnCompressed()
    info.UnPackFromNetwork()
    net.peer = info
    RememberDragon(step, info)
}

// A release may call this on several fixed steps: one record a step. The
// other node's dragon moves here, to where its last record put it.
function InGameStepSync(delta)
{
    if (net.peer != null)
        ShowPeerDragon(net.peer)
    local step = ConnectionMaker_OnStepNumber() - 1
    if (step == net.lastStep || ConnectionMaker_GetMyNetID() < 0)
        return
    net.lastStep = step
    SendDragon(step)
}

// Houses stand just outside the flight path, each a fire area: the breath
// lights the one it reaches, the fire spreads through the house, burns out
// and smoulders, with the "fire" effect over the burning cells. A knight
// walks a route the grid path finder found from the gate to the castle round
// the river and the hills; the breath stops him, and if he arrives the
// castle's archers wound the dragon. Then he sets out again from the gate.
local kHouseSpots = [0.07, 0.32, 0.57, 0.82] // of the way round the flight path
local kHouseOutside = 40.0
local kFireCellSpacing = 5.0
local kHouseScore = 250
local kHouseBurnSeconds = 25.0
local kKnightSpeed = 28.0
local kKnightScore = 300
local kKnightRestSeconds = 4.0
local kArcherWound = 0.25

if (!("fireDemo" in getroottable()))
{
    ::fireDemo <- { grid = null, route = Path(), walked = 0.0, knight = null, castle = null, river = 0,
                    mountain = 0, resting = 0.0 }
    ::FireHouse <- class extends Prop
    {
        constructor(position) { base.constructor(position) }
        area = -1
        litAt = -1.0
    }
    ::Knight <- class extends Actor
    {
        constructor(position) { base.constructor(position) }
    }
}

function FireHouseProperties()
{
    local props = FireProperties()
    props.m_initialTemperature = 20.0
    props.m_ignitionTemperature = 300.0
    props.m_initialfuelamount = 6.0
    props.m_AffectRadius = 7.0
    props.m_FuelRateVsTempInterpD.AddKey(0.0, 1.0)
    props.m_BurnIntensityVsTempInterpD.AddKey(300.0, 0.5)
    props.m_BurnIntensityVsTempInterpD.AddKey(800.0, 1.0)
    props.m_BurnIntensityVsTempInterpD.AddKey(1500.0, 0.1)
    props.m_RadianceEnergyVsIntensityInterpD.AddKey(0.0, 0.0)
    props.m_RadianceEnergyVsIntensityInterpD.AddKey(1.0, 600.0)
    props.m_TempDeltaVsDistanceInterpD.AddKey(0.0, 1.0)
    props.m_TempDeltaVsDistanceInterpD.AddKey(7.0, 0.0)
    props.m_HeatLossVsTempInterpD.AddKey(0.0, 0.0)
    props.m_HeatLossVsTempInterpD.AddKey(1000.0, 150.0)
    props.m_SmolderVsTempInterpD.AddKey(100.0, 0.0)
    props.m_SmolderVsTempInterpD.AddKey(1000.0, 1.0)
    return props
}

// Where the houses stand: just outside the path, on the ground.
function HouseSpot(along)
{
    local spot = FlightSpot(along)
    local out = Vec3(spot.x, 0.0, spot.z)
    local length = sqrt(out.x * out.x + out.z * out.z)
    return Vec3(spot.x * (1.0 + kHouseOutside / length), 0.0, spot.z * (1.0 + kHouseOutside / length))
}

// The houses' fire areas are made again each round, so every house stands
// whole at its start.
function StartFireHouses()
{
    FireAreas_Clear()
    foreach (house in InstanceArray(FireHouse))
    {
        Collision.DeregisterObject(house, "burnable")
        InstanceDestroy(house)
    }
    foreach (along in kHouseSpots)
    {
        local at = HouseSpot(along)
        local house = InstanceCreate(FireHouse, at)
        house.SetGraphic("buildings/set01/SmallHouse01.chmodel")
        house.area = FireAreas_AddFireArea()
        local proxy = FireInterfaceProxy()
        FireAreas_GetProxyFromID(proxy, house.area)
        proxy.SetNextFireProperties(FireHouseProperties())
        for (local x = -1; x <= 1; x++)
            for (local y = 0; y <= 3; y++)
                for (local z = -1; z <= 1; z++)
                    proxy.AddCellPoint(at + Vec3(x * kFireCellSpacing, y * kFireCellSpacing, z * kFireCellSpacing))
        FireAreas_FinaliseAddingInFireArea(house.area)
        Collision.RegisterSphereObject(house, "burnable", 0.0)
    }
    Collision.RegisterCallback("breath", "burnable", "BreathReachedHouse", false, kBreathReach)
}

function HousesBurnt()
{
    local burnt = 0
    foreach (house in InstanceArray(FireHouse))
        if (house.litAt >= 0.0)
            burnt++
    return burnt
}

function BreathReachedHouse(dragon, house, dt)
{
    if (house.litAt >= 0.0 || !round.playing || !hud.breathing)
        return
    house.litAt = demo.time
    FireAreas_StartFires(house.m__position + Vec3(0.0, kFireCellSpacing, 0.0), kFireCellSpacing * 1.2)
    Burst("spark_red", house.m__position + Vec3(0.0, 12.0, 0.0))
    AddScore(kHouseScore)
    Tell("The house is burning! (+" + kHouseScore + ")")
    StartBars()
}

function IsBlockedGround(type)
{
    return type == fireDemo.river || type == fireDemo.mountain
}

function StartKnight()
{
    local grid = GridPathFinder()
    grid.UseStrings()
    grid.LoadFile("levels/board.grid")
    grid.AddImpassibleTypeByString("river")
    grid.AddImpassibleTypeByString("mountain")
    local a = Vec3(0.0, 0.0, 0.0)
    local b = Vec3(0.0, 0.0, 0.0)
    TileTerrain_GetRealWordCorners(a, b)
    grid.SetGridToRealWorld(Vec3(a.x < b.x ? a.x : b.x, 0.0, a.z < b.z ? a.z : b.z),
                            Vec3(a.x < b.x ? b.x : a.x, 0.0, a.z < b.z ? b.z : a.z))
    fireDemo.grid = grid
    // The names' hashes, as the grid holds them, from cells known to carry them.
    fireDemo.river = grid.GetSquare(0, 4)
    fireDemo.mountain = grid.GetSquare(3, 1)
    local gate = Vec3(0.0, 0.0, 0.0)
    local castle = Vec3(0.0, 0.0, 0.0)
    grid.GetWorldPos(gate, 1, 1)
    grid.GetWorldPos(castle, 5, 6)
    if (!grid.FindPathRealWorld(gate, castle, fireDemo.route))
        throw "no route from the gate to the castle"
    if (fireDemo.castle != null)
        fireDemo.castle.m__position = castle
    fireDemo.knight = InstanceCreate(Knight, gate)
    fireDemo.knight.SetGraphic("characters/knight/knight.chmodel")
    Collision.RegisterSphereObject(fireDemo.knight, "knight", 0.0)
    Collision.RegisterCallback("breath", "knight", "BreathReachedKnight", false, kBreathReach)
    SendKnightOut()
}

function SendKnightOut()
{
    fireDemo.walked = 0.0
    fireDemo.resting = 0.0
    Collision.Enable(fireDemo.knight, "knight")
}

// Stopped knights and knights home both rest a while before setting out again.
function RestKnight()
{
    fireDemo.resting = kKnightRestSeconds
    Collision.Disable(fireDemo.knight, "knight")
}

function BreathReachedKnight(dragon, knight, dt)
{
    if (fireDemo.resting > 0.0 || !round.playing || !hud.breathing)
        return
    Burst("spark_blue", knight.m__position + Vec3(0.0, 8.0, 0.0))
    RestKnight()
    round.knights++
    AddScore(kKnightScore)
    Tell("The knight is stopped! (+" + kKnightScore + ")")
}

function KnightArrived()
{
    RestKnight()
    Wound(kArcherWound * (1.0 - UpgradeLevel(2) / 8.0))
    Tell("The knight reached the castle: its archers wound you!")
}

function StepKnight(dt)
{
    if (fireDemo.resting > 0.0)
    {
        fireDemo.resting -= dt
        if (fireDemo.resting <= 0.0)
            SendKnightOut()
        return
    }
    local total = fireDemo.route.GetTotalDistance()
    fireDemo.walked = fireDemo.walked + kKnightSpeed * dt
    if (fireDemo.walked >= total)
    {
        fireDemo.walked = total
        if (round.playing)
            KnightArrived()
    }
    local at = Vec3(0.0, 0.0, 0.0)
    fireDemo.route.GetPosAtDistance(at, fireDemo.walked, false)
    if (IsBlockedGround(fireDemo.grid.GetTileTypeFromWorld(at)))
        throw "the knight stepped on a river or mountain cell at " + at.x + ", " + at.z
    // He strides: a little bob with each step.
    at.y = fabs(sin(fireDemo.walked * 0.4)) * 1.2
    local ahead = Vec3(0.0, 0.0, 0.0)
    fireDemo.route.GetPosAtDistance(ahead, fireDemo.walked + 5.0, false)
    if (fabs(ahead.x - at.x) + fabs(ahead.z - at.z) > 0.01)
        fireDemo.knight.FaceXZ(ahead.x - at.x, ahead.z - at.z)
    fireDemo.knight.m__position = at
}

function StartFireAndKnight()
{
    StartFireHouses()
    StartKnight()
}

function StepFireAndKnight(dt)
{
    FireAreas_Update(dt)
    InstanceStep(FireHouse, dt)
    StepKnight(dt)
}

function GameCreate()
{
    StartLevelLoading()
    demo.state = DemoState.PLAYING
    StartSounds()
    StartFlight()
    StartWorld()
    StartPickups()
    StartBoard()
    StartLights()
    StartSceneEffects()
    StartKeys()
    StartMenu()
    StartBars()
    StartEffects()
    StartNetDemo()
    StartFireAndKnight()
    flight.camera.SetAsCurrentCamera()
    SetInGame(true)
    StartPauseMenu()
    StartHud()
    StartUpgradeScreens()
    StartRound()
    ApplyOptions()
    FinishLevelLoading()
    // Tells whoever watches the window that the level is up.
    ShowTitle("playing")
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
    SmoothFlight(dt)
    InstanceStep(Building, dt)
    StepLights()
    StepSceneEffects(dt)
    StepBars(dt)
    StepEffects(dt)
    StepFireAndKnight(dt)
    CheckBoard()
    StepHud(dt)
    StepUpgradeScreens(dt)
    StepNetDemo(dt)
    StepRound(dt)
}

function PausedStep(dt)
{
    StepKeys()
    StepPauseMenu(dt)
}

function OnPause()
{
    demo.state = DemoState.PAUSED
    ShowTitle("paused")
    // The dragon's label would show through the menu's panel; the next
    // step of play puts it back.
    RemoveDragonBars()
}

function OnUnpause()
{
    demo.state = DemoState.PLAYING
    ShowTitle("playing")
}

function ViewUpdate(dt)
{
    StepLeaderboard(dt)
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
    DrawHud()
    DrawUpgradeScreens()
    DrawPauseMenu()
}

// ---- The pause menu: script elements over the stopped game. P pauses and
// shows it, Escape (or Resume) closes it. Arrows and the mouse move in the
// menu, Return presses the current button, left and right move the slider,
// D opens and closes the sky drop-down.

local kMenuFont = "fonts/QuarnVinque20.fnt"

function MakeMenuButton(name, id)
{
    local button = Button()
    button.UpImage.AddTexture("frontend/button.tga")
    button.OverImage.AddTexture("frontend/buttonlit.tga")
    button.SelectedImage.AddTexture("frontend/buttonlit.tga")
    button.UpImage.width = 220
    button.UpImage.height = 40
    button.ID = id
    button.SetFontName(kMenuFont)
    button.SetName(name)
    button.TextOffset.y = 8
    button.AlignType = 2
    return button
}

function MakeMenuSprite(texture, width, height)
{
    local sprite = Sprite()
    sprite.SetTexture(texture)
    sprite.width = width
    sprite.height = height
    return sprite
}

function StartPauseMenu()
{
    local left = demo.width / 2 - 110
    // High enough that the panel ends above the tip's box.
    local top = demo.height / 2 - 210
    local panel = MakeMenuSprite("frontend/panel.tga", 300, 360)
    panel.x = left - 40
    panel.y = top - 30
    local menu = Menu()
    menu.x = left
    menu.y = top
    menu.ButtonOffsetY = 10
    foreach (i, name in ["Resume", "Day or night", "Quit"])
        menu.AddButton(MakeMenuButton(name, i))
    menu.AutoAlignButtons(1)
    local slider = Slider()
    slider.x = left
    slider.y = top + 160
    slider.Background.SetTexture("frontend/bar.tga")
    slider.Background.width = 220
    slider.Background.height = 12
    slider.Button.UpImage.AddTexture("frontend/knob.tga")
    slider.Button.UpImage.width = 20
    slider.Button.UpImage.height = 28
    slider.AlignButtonToBar(0)
    slider.PercentbetweenTwoPoints = 0.5
    local sky = DropdownMenu()
    sky.x = left
    sky.y = top + 200
    sky.Background.SetTexture("frontend/panel.tga")
    sky.Background.width = 220
    sky.Background.height = 44
    sky.DisplayButton.UpImage.AddTexture("frontend/button.tga")
    sky.DisplayButton.UpImage.width = 220
    sky.DisplayButton.UpImage.height = 40
    sky.DisplayButton.SetFontName(kMenuFont)
    sky.DisplayButton.TextOffset.y = 8
    sky.DisplayButton.AlignType = 2
    sky.ButtonOffsetY = 2
    foreach (i, name in ["Day", "Night"])
        sky.DropDownMenu.AddButton(MakeMenuButton(name, 10 + i))
    sky.AutoAlignComponents()
    ::pauseMenu <- { panel = panel, menu = menu, slider = slider, sky = sky, input = InputMap(), keys = {} }
    foreach (name, key in { up = KEY_UP, down = KEY_DOWN, left = KEY_LEFT, right = KEY_RIGHT,
                            enter = KEY_RETURN, sky = DEMO_KEY_D })
    {
        local command = InputCommand()
        command.InputCommandType = INPUT_COMMAND_TYPE_KEY
        command.Data = key
        command.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN
        pauseMenu.keys[name] <- pauseMenu.input.AddInputCommand(command)
    }
}

function PauseMenuKey(name)
{
    return pauseMenu.input.GetIsInputCommandConditionExecuted(pauseMenu.keys[name]) == 1
}

function SetSkyOpen(open)
{
    pauseMenu.sky.CurrentState = open ? 1 : 0
    foreach (button in [pauseMenu.sky.DropDownMenu.CurrentButton])
        if (button != null)
            button.State = 1
    pauseMenu.sky.DropDownMenu.SetAlpha(open ? 255 : 0)
    pauseMenu.sky.DropDownMenu.SetSelectedAlpha(open ? 255 : 0)
}

function PressPauseMenuButton(name)
{
    if (name == "Resume")
        SetPaused(false)
    else if (name == "Day or night")
        SwapDayAndNight()
    else if (name == "Quit")
    {
        SetInGame(false)
        QuitGame()
    }
    else if ((name == "Day" || name == "Night") && pauseMenu.sky.CurrentState == 0)
        SetSkyOpen(true)
    else if (name == "Day" || name == "Night")
    {
        SetDay(name == "Night")
        pauseMenu.sky.Input(4)
        SetSkyOpen(false)
    }
}

function StepPauseMenu(dt)
{
    if (!("pauseMenu" in getroottable()))
        return
    local open = pauseMenu.sky.CurrentState != 0
    if (PauseMenuKey("sky"))
    {
        if (open)
            pauseMenu.sky.Input(4)
        SetSkyOpen(!open)
    }
    else if (open && PauseMenuKey("up"))
        pauseMenu.sky.Input(2)
    else if (open && PauseMenuKey("down"))
        pauseMenu.sky.Input(3)
    else if (open && PauseMenuKey("enter"))
        PressPauseMenuButton(pauseMenu.sky.DropDownMenu.ID == 11 ? "Night" : "Day")
    else if (PauseMenuKey("up"))
        pauseMenu.menu.Input(2)
    else if (PauseMenuKey("down"))
        pauseMenu.menu.Input(3)
    else if (PauseMenuKey("left"))
        pauseMenu.slider.Input(0)
    else if (PauseMenuKey("right"))
        pauseMenu.slider.Input(1)
    else if (PauseMenuKey("enter") && pauseMenu.menu.CurrentButton != null)
        PressPauseMenuButton(["Resume", "Day or night", "Quit"][pauseMenu.menu.ID < 0 ? 0 : pauseMenu.menu.ID])
    UpdateButtonManager()
    local clicked = GetButtonClicked()
    if (clicked != null)
        PressPauseMenuButton(clicked)
    pauseMenu.menu.Update(dt)
    pauseMenu.sky.DropDownMenu.Update(dt)
    pauseMenu.slider.Update(dt)
}

function DrawPauseMenu()
{
    if (!IsPaused() || !("pauseMenu" in getroottable()))
        return
    pauseMenu.panel.Render()
    pauseMenu.menu.Render()
    pauseMenu.slider.Render()
    pauseMenu.sky.Render()
}

// ---- The level comes up behind the loading screen: a background, a picture,
// a spinner that turns and steps through its frames, the loading text with
// its dots and the game's name.

local kSpinnerFrames = ["frontend/spinner.tga", "frontend/spinner1.tga", "frontend/spinner2.tga",
    "frontend/spinner3.tga"]

function StartLevelLoading()
{
    local full = MakeMenuSprite("frontend/panel.tga", demo.width, demo.height)
    local picture = MakeMenuSprite("frontend/loading.tga", 256, 256)
    picture.x = demo.width / 2 - 128
    picture.y = demo.height / 2 - 160
    local spinner = AnimSprite()
    foreach (frame in kSpinnerFrames)
        spinner.AddTexture(frame)
    spinner.AnimationSpeed = 6.0
    spinner.width = 64
    spinner.height = 64
    spinner.x = demo.width - 120
    spinner.y = demo.height - 120
    // The text starts at the box's left: "Loading..." is about 110 pixels wide.
    local text = Sprite()
    text.x = demo.width / 2 - 55
    text.y = demo.height / 2 + 130
    text.width = 300
    text.height = 40
    local title = Sprite()
    title.x = 0
    title.y = 60
    title.width = demo.width
    title.height = 40
    local white = rgba8888(255, 255, 255, 255)
    StartLoadingScreen(text, "Loading", kMenuFont, white, title, "Tolvan", kMenuFont, white, full, picture, spinner)
    SetMinLoadingScreenTime(1.5)
}

function FinishLevelLoading()
{
    SetLoadingScreenText("Ready")
    FinishLoadingScreen()
}

// ---- The HUD: the player's panel (icon, score, fire bar), a breath meter
// that drains and refills, and a tip that pops up once the level is up and
// types itself out.

local kHudFont = "fonts/QuarnVinque20.fnt"

function MakeHudImage(image, texture, width, height)
{
    image.AddTexture(texture)
    image.width = width
    image.height = height
}

function StartPlayerPanel()
{
    local panel = PlayerInfo()
    panel.x = 40
    panel.y = 40
    MakeHudImage(panel.DragonIcon, "characters/dragon/portrait.tga", 64, 64)
    panel.PulseImage.SetTexture("frontend/panel.tga")
    panel.PulseImage.width = 64
    panel.PulseImage.height = 64
    MakeHudImage(panel.FireBarBackground, "frontend/bar.tga", 180, 12)
    MakeHudImage(panel.FireBar, "frontend/barflag.tga", 180, 12)
    MakeHudImage(panel.FireBarFrontCap, "frontend/buttonlit.tga", 10, 24)
    MakeHudImage(panel.FireBarMiddle, "frontend/button.tga", 160, 24)
    MakeHudImage(panel.FireBarBackCap, "frontend/buttonlit.tga", 10, 24)
    MakeHudImage(panel.ScoreMultiplerFrame, "frontend/panel.tga", 32, 32)
    MakeHudImage(panel.ScoreMultiplerImage, "frontend/knob.tga", 16, 16)
    MakeHudImage(panel.PowerUpSymbolFrame, "frontend/panel.tga", 28, 28)
    panel.ShowMultipler = 1
    panel.SetFont(kHudFont)
    panel.SetPlayerFont(kHudFont)
    panel.SetPlayerName("Ember")
    panel.AutoAlignComponents(0)
    panel.RealBarWidth = 180.0
    return panel
}

// The breath meter: full breath drains in kBreathDrain seconds of Space held
// and refills in kBreathRefill seconds; the level starts winded.
local kBreathDrain = 3.0
local kBreathRefill = 4.0
local kBreathAtStart = 0.2
local kBreathRestart = 0.5
local kSpitEvery = 0.4

function StartBreathMeter()
{
    local meter = TextureMeter()
    foreach (part in [meter.Background, meter.Bar])
    {
        part.x = 40
        part.y = 130
        part.width = 200
        part.height = 14
    }
    meter.Background.SetTexture("frontend/panel.tga")
    meter.Bar.AddTexture("frontend/breath.tga")
    meter.Type = TEXTURE_METER_TYPE_HORIZONTAL_RIGHT
    meter.BarValue = kBreathAtStart
    meter.Init()
    return meter
}

// The tip's state once it has gone (and before it first opens).
local kTipClosed = -1
// A tip comes back this long after the one before has gone.
local kTipGap = 5.0
// The tips, in turn: the game's goals, then the keys.
local kTips = [
    ["Tip: crystals",
     "Eight glowing crystals float on your flight path. Fly to them and hold Space: only your fire gathers them."],
    ["Tip: fire",
     "Breathe on the houses below the path to set them alight: the fire spreads through the house.}Fire drains your breath; it refills when you rest."],
    ["Tip: the knight",
     "A knight walks from the gate to the castle. Burn him before he arrives, or the archers wound you."],
    ["Keys",
     "Arrows steer and climb, Space breathes fire, P pauses, M menu, U upgrades and scores, N day or night."],
    ["More keys",
     "Tab opens the console, Print Screen takes a picture, Escape closes a menu or quits."]
]

function StartTip()
{
    local tip = PopUpWindow()
    tip.x = demo.width / 2
    tip.y = demo.height - 170
    MakeHudImage(tip.TopImage, "frontend/panel.tga", 460, 26)
    MakeHudImage(tip.MiddleImage, "frontend/panel.tga", 460, 60)
    MakeHudImage(tip.BottomImage, "frontend/panel.tga", 460, 26)
    tip.DisplayImage.SetTexture("characters/dragon/portrait.tga")
    tip.BackgroundDisplayImage.SetTexture("frontend/button.tga")
    MakeHudImage(tip.ButtonToPress, "frontend/knob.tga", 20, 20)
    // Slow enough to read as it types.
    tip.TriggerForText = 8.0
    tip.TriggerForDisappear = 6.0
    tip.SetFont(kHudFont)
    return tip
}

function ShowNextTip()
{
    local next = kTips[hud.tipIndex % kTips.len()]
    hud.tipIndex++
    hud.tip.SetTitle(next[0])
    hud.tip.SetDecription(next[1])
    hud.tip.Init()
    hud.tip.AutoAlignComponents()
}

// A line of text in a box of the screen.
function MakeTextBox(x, y, width, height)
{
    local box = Sprite()
    box.x = x
    box.y = y
    box.width = width
    box.height = height
    return box
}

function StartHud()
{
    local input = InputMap()
    local breathe = InputCommand()
    breathe.InputCommandType = INPUT_COMMAND_TYPE_KEY
    breathe.Data = KEY_SPACE
    breathe.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_DOWN
    ::hud <- {
        panel = StartPlayerPanel(),
        breath = StartBreathMeter(),
        tip = StartTip(),
        tipShown = false,
        tipTyping = false,
        tipIndex = 0,
        tipNext = 1.5,
        input = input,
        breathe = input.AddInputCommand(breathe),
        spitIn = 0.0,
        breathing = false,
        font = BasicText(kHudFont),
        status = MakeTextBox(demo.width - 420, 20, 400, 30),
        statusBack = MakeMenuSprite("frontend/panel.tga", 410, 94)
    }
    hud.statusBack.x = demo.width - 425
    hud.statusBack.y = 16
}

// Held Space breathes fire while breath lasts: fireballs fly ahead, and the
// breath's cone is live for the collision manager.
function StepBreath(dt)
{
    local held = hud.input.GetIsInputCommandConditionExecuted(hud.breathe) == 1 && !keys.upgradesOpen
    // Run dry, the fire comes back only once the breath has half refilled.
    local enough = hud.breathing ? hud.breath.BarValue > 0.0 : hud.breath.BarValue >= kBreathRestart
    local breathing = held && enough && round.playing
    local rate = breathing ? -1.0 / (kBreathDrain * (1.0 + UpgradeLevel(0) / 3.0)) : 1.0 / kBreathRefill
    local value = hud.breath.BarValue + rate * dt
    hud.breath.BarValue = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value
    hud.breath.Update(dt)
    if (breathing != hud.breathing)
    {
        local dragon = InstanceFind(Dragon, 0)
        if (breathing)
            Collision.Enable(dragon, "breath")
        else
            Collision.Disable(dragon, "breath")
        hud.breathing = breathing
    }
    hud.spitIn = breathing ? hud.spitIn - dt : 0.0
    if (breathing && hud.spitIn <= 0.0)
    {
        SpitFireball()
        hud.spitIn = kSpitEvery
    }
}

// The tips pop up in turn once the level is up. While one types, the window
// title says so (only over plain play, so no menu's title is overwritten).
function StepTip(dt)
{
    local closed = hud.tip.State == kTipClosed
    if (closed && hud.tipShown)
    {
        hud.tipShown = false
        hud.tipNext = demo.time + kTipGap
    }
    if (closed && !hud.tipShown && demo.time > hud.tipNext)
    {
        hud.tipShown = true
        ShowNextTip()
    }
    hud.tip.Update(dt)
    local typing = hud.tip.State == 1
    if (typing != hud.tipTyping && "title" in demo && (demo.title == "playing" || demo.title == "tip"))
        ShowTitle(typing ? "tip" : "playing")
    hud.tipTyping = typing
}

function StepHud(dt)
{
    if (!("hud" in getroottable()))
        return
    hud.panel.SetScore(round.score.tostring())
    hud.panel.FireBar.width = (hud.panel.RealBarWidth * round.health).tointeger()
    hud.panel.Update(dt)
    StepBreath(dt)
    StepTip(dt)
}

function TimeText(seconds)
{
    local whole = seconds < 0.0 ? 0 : seconds.tointeger()
    local rest = whole % 60
    return (whole / 60) + ":" + (rest < 10 ? "0" : "") + rest
}

function DrawStatus()
{
    hud.statusBack.Render()
    local text = "Time " + TimeText(round.left) + "   Crystals " + pickups.collected + "/" + kCrystalCount
    hud.status.y = 20
    hud.status.DrawText(text, rgba8888(255, 240, 160, 255), hud.font, 0, 0)
    hud.status.y = 48
    hud.status.DrawText("Houses burnt " + HousesBurnt() + "/" + kHouseSpots.len() + "   Knights " + round.knights,
                        rgba8888(255, 255, 255, 255), hud.font, 0, 0)
    if (round.newsLeft > 0.0 && round.playing)
    {
        hud.status.y = 76
        hud.status.DrawText(round.news, rgba8888(255, 190, 90, 255), hud.font, 0, 0)
    }
}

function DrawHud()
{
    if (!("hud" in getroottable()))
        return
    hud.panel.Render()
    hud.breath.Render(0.0)
    local screens = keys.menuOpen || keys.upgradesOpen
    if (!screens)
        DrawStatus()
    // A closed tip would still draw its empty panels; the menu's lower
    // buttons and the leaderboard reach down to where the tip is.
    if (hud.tip.State != kTipClosed && !screens && round.playing)
        hud.tip.Render()
    DrawResult()
}

// ---- The round: gather the crystals, burn the houses and stop the knight
// before the time runs out or the archers have worn the dragon down. Then
// the result shows, the score goes to the leaderboard, and Return (or the
// end of the wait) starts the next round.
local kRoundSeconds = 150.0
// Upgrade points each round brings.
local kPointsPerRound = 3
local kResultSeconds = 12.0
local kNewsSeconds = 4.0

if (!("round" in getroottable()))
    ::round <- { playing = false, score = 0, health = 1.0, left = 0.0, knights = 0, number = 0, why = "",
                 resultLeft = 0.0, best = 0, news = "", newsLeft = 0.0 }

function AddScore(points)
{
    round.score += points
}

function Wound(amount)
{
    round.health -= amount
    if (round.health <= 0.0)
    {
        round.health = 0.0
        EndRound("The archers brought you down.")
    }
}

// What the player must see goes to the system messages on the screen; the
// round's state goes to a save as well ("round.sav": score, crystals,
// houses, knights, health), so that a watcher outside can follow it.
function Tell(text)
{
    SystemUserMessage(text, true)
    round.news = text
    round.newsLeft = kNewsSeconds
    WriteRoundSave()
}

function WriteRoundSave()
{
    local text = composer()
    text.Init(256)
    foreach (name, value in { round = round.number, score = round.score, crystals = pickups.collected,
                              houses = HousesBurnt(), knights = round.knights,
                              health = (round.health * 100.0).tointeger(), playing = round.playing ? 1 : 0 })
        text.AddToken(name, 0, value.tostring(), 0)
    text.AddToken("end", 0, "1", 0)
    SaveLoadFunctions().WriteToFile(text, "round.sav", false)
}

function StartRound()
{
    round.playing = true
    round.score = 0
    round.health = 1.0
    round.left = kRoundSeconds
    round.knights = 0
    round.number++
    PlaceCrystals()
    if (round.number > 1)
    {
        StartFireHouses()
        SendKnightOut()
        StartBars()
    }
    Tell("Round " + round.number + ": gather the crystals with your fire!")
    if ("title" in demo && demo.title == "round over")
        ShowTitle("playing")
}

function EndRound(why)
{
    if (!round.playing)
        return
    round.playing = false
    round.why = why
    round.resultLeft = kResultSeconds
    if (round.score > round.best)
        round.best = round.score
    RecordScore(kBoard, round.score)
    if ("upgradeScreens" in getroottable())
    {
        local menu = upgradeScreens.menu
        menu.ReCalculateAvailablePoints(menu.UnSpentPoints + kPointsPerRound)
    }
    ShowTitle("round over")
    Tell("Round over: " + round.score + " points")
}

function StepRound(dt)
{
    // Sends recorded scores to the storefront service once their board is found.
    WaitingForAnsycToFinish(1)
    round.newsLeft -= dt
    if (round.playing)
    {
        round.left -= dt
        if (round.left <= 0.0)
            EndRound("Time is up.")
        return
    }
    round.resultLeft -= dt
    if (round.resultLeft <= 0.0 || (Pressed(keys.confirm) && !keys.menuOpen && !keys.upgradesOpen))
        StartRound()
}

if (!("result" in getroottable()))
    ::result <- { back = null, lines = null }

function DrawResult()
{
    if (round.playing || keys.menuOpen || keys.upgradesOpen)
        return
    if (result.back == null)
    {
        result.back = MakeMenuSprite("frontend/panel.tga", 520, 300)
        result.lines = MakeTextBox(0, 0, 520, 30)
    }
    local left = demo.width / 2 - 260
    local top = demo.height / 2 - 190
    result.back.x = left
    result.back.y = top
    result.back.Render()
    local rows = [
        ["Round over", rgba8888(255, 220, 90, 255)],
        [round.why, rgba8888(255, 255, 255, 255)],
        ["Score " + round.score + "   (best " + round.best + ")", rgba8888(255, 240, 160, 255)],
        ["Crystals " + pickups.collected + "/" + kCrystalCount + "   Houses " + HousesBurnt() + "/" +
         kHouseSpots.len() + "   Knights " + round.knights, rgba8888(255, 255, 255, 255)],
        ["Your score is on the leaderboard (U shows it)", rgba8888(255, 255, 255, 255)],
        ["Return flies again (or wait " + TimeText(round.resultLeft) + ")", rgba8888(170, 200, 255, 255)]
    ]
    result.lines.x = left
    foreach (i, row in rows)
    {
        result.lines.y = top + 24 + i * 44
        result.lines.DrawText(row[0], row[1], hud.font, 2, 2)
    }
}

// ---- The upgrade and leaderboard screens, shown while U has them open or
// one of them from the M menu: up and down pick an upgrade, right buys a
// level, left gives it back, Return confirms, Backspace cancels; the
// leaderboard shows this level's board (its "no score" row offline). Escape
// (or U) closes them. While the upgrade screen is open the title names the
// chosen upgrade ("Tolvan - upgrades 2").

// The upgrades, each bought level by level; the points come at the start
// and with each round played.
local kUpgrades = [
    { name = "Deep lungs", costs = [1, 1, 2, 2, 3], help = "Each level makes your breath last a third longer." },
    { name = "Swift wings", costs = [1, 2, 3, 4], help = "Each level makes you fly a tenth faster." },
    { name = "Iron scales", costs = [2, 2, 2, 2, 2, 2], help = "Each level takes an eighth off the archers' wounds." }
]
local kStartPoints = 6
// Where the texts sit: the panel, and each bar's row, as the menu lays them out.
local kUpgradeLeft = 100
local kUpgradeTop = 150
local kUpgradeWidth = 560
local kUpgradeHeight = 440
local kUpgradeTextX = 360
local kUpgradeRowY = [230, 300, 370]

// The levels bought and confirmed of an upgrade.
function UpgradeLevel(i)
{
    if (!("upgradeScreens" in getroottable()))
        return 0
    local level = upgradeScreens.bars[i].CurrentlySelected
    return level < 0 ? 0 : level
}

function MakeUpgradeBar(costs)
{
    local bar = UpgradeBar()
    bar.Icon.SetTexture("characters/dragon/dragon.tga")
    bar.Icon.width = 20
    bar.Icon.height = 20
    bar.IconGlow.SetTexture("frontend/barflag.tga")
    bar.IconGlow.width = 20
    bar.IconGlow.height = 20
    foreach (part in [bar.LeftArrow, bar.RightArrow, bar.Cross])
        MakeHudImage(part, "frontend/knob.tga", 14, 14)
    foreach (cost in costs)
    {
        local point = UpgradePoint()
        point.Cost = cost
        // One frame per purchase state: not affordable, affordable, chosen, bought.
        foreach (image in [point.PointImage, point.TopImage, point.MiddleImage, point.BottomImage])
            foreach (texture in ["frontend/panel.tga", "frontend/bar.tga", "frontend/buttonlit.tga", "frontend/barflag.tga"])
                image.AddTexture(texture)
        point.PointImage.width = 18
        point.TopImage.width = 18
        point.TopImage.height = 4
        point.MiddleImage.width = 18
        point.MiddleImage.height = 30
        point.BottomImage.width = 18
        point.BottomImage.height = 4
        point.StartAlpha = 255
        point.EndAlpha = 140
        bar.AddPoint(point)
    }
    bar.StartAlpha = 255
    bar.EndAlpha = 140
    return bar
}

function StartUpgradeScreens()
{
    local menu = UpgradeMenu()
    menu.x = 120
    menu.y = 220
    menu.SelectedImage.SetTexture("frontend/buttonlit.tga")
    menu.SelectedImage.height = 60
    menu.SingleBackgroundImage.SetTexture("frontend/panel.tga")
    foreach (arrow in [menu.UpArrow, menu.DownArrow])
    {
        arrow.SetTexture("frontend/knob.tga")
        arrow.width = 16
        arrow.height = 16
    }
    local bars = []
    foreach (upgrade in kUpgrades)
    {
        bars.append(MakeUpgradeBar(upgrade.costs))
        menu.AddBar(bars.top())
    }
    menu.ReCalculateAvailablePoints(kStartPoints)
    local board = LeaderBoard()
    local row = Button()
    row.UpImage.AddTexture("frontend/button.tga")
    row.OverImage.AddTexture("frontend/buttonlit.tga")
    row.UpImage.width = 420
    row.UpImage.height = 30
    board.SetElements(row)
    board.Menu.x = demo.width - 470
    board.Menu.y = 200
    board.Menu.ButtonOffsetY = 4
    board.Menu.AutoAlignButtons(1)
    SetUpLeaderBoardsSystem()
    FinishLeaderboardsSetup()
    board.SetUpMenu(kBoard, 0)
    local input = InputMap()
    local commands = {}
    foreach (name, key in { up = KEY_UP, down = KEY_DOWN, left = KEY_LEFT, right = KEY_RIGHT,
                            confirm = KEY_RETURN, cancel = KEY_BACKSPACE })
    {
        local command = InputCommand()
        command.InputCommandType = INPUT_COMMAND_TYPE_KEY
        command.Data = key
        command.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN
        commands[name] <- input.AddInputCommand(command)
    }
    ::upgradeScreens <- { menu = menu, board = board, input = input, commands = commands,
                          upgrades = false, leaderboard = false, bars = bars, back = MakeMenuSprite("frontend/screen.tga", 10, 10),
                          text = MakeTextBox(0, 0, 10, 30) }
}

// Either screen open takes the arrow keys from the dragon; the leaderboard
// asks the storefront service for its rows again each time it opens.
function ShowHudScreens(upgrades, leaderboard)
{
    if ("upgradeScreens" in getroottable())
    {
        upgradeScreens.upgrades = upgrades
        upgradeScreens.leaderboard = leaderboard
        if (leaderboard)
            upgradeScreens.board.Input(0)
    }
    keys.upgradesOpen = upgrades || leaderboard
    flight.steeredUnderScreens <- false
    if (upgrades)
        ShowTitle(UpgradeTitle())
    else
        ShowTitle(leaderboard ? "leaderboard" : "playing")
}

// The chosen upgrade, and whether the arrow keys steered the dragon under
// the screen (they should not).
function UpgradeTitle()
{
    local steered = "steeredUnderScreens" in flight && flight.steeredUnderScreens
    return "upgrades " + (upgradeScreens.menu.CurrentlySelected + 1) + (steered ? ", dragon steered" : "")
}

// The M menu's buttons.
function OpenUpgradeScreen()
{
    CloseMenu()
    ShowHudScreens(true, false)
}

function OpenLeaderBoardScreen()
{
    CloseMenu()
    ShowHudScreens(false, true)
}

function StepUpgradeScreens(dt)
{
    if (!("upgradeScreens" in getroottable()) || !keys.upgradesOpen)
        return
    local s = upgradeScreens
    if (s.upgrades)
    {
        local codes = { left = 0, right = 1, up = 2, down = 3, confirm = 4, cancel = 5 }
        foreach (name, code in codes)
            if (s.input.GetIsInputCommandConditionExecuted(s.commands[name]) == 1)
                s.menu.Input(code)
        s.menu.Update(dt)
        local title = UpgradeTitle()
        if (!("title" in demo) || demo.title != title)
            ShowTitle(title)
    }
}

// The leaderboard steps while its screen is open.
function StepLeaderboard(dt)
{
    if ("upgradeScreens" in getroottable() && keys.upgradesOpen && upgradeScreens.leaderboard)
        upgradeScreens.board.Update(dt)
}

// A panel with a heading and lines of text behind a screen.
function DrawScreenPanel(left, top, width, height, heading)
{
    local s = upgradeScreens
    s.back.x = left
    s.back.y = top
    s.back.width = width
    s.back.height = height
    s.back.Render()
    DrawLine(left + 16, top + 10, width - 32, heading, rgba8888(255, 220, 90, 255))
}

function DrawLine(x, y, width, text, colour)
{
    local box = upgradeScreens.text
    box.x = x
    box.y = y
    box.width = width
    box.DrawText(text, colour, hud.font, 0, 0)
}

// The upgrades' names and prices beside their bars, the chosen one's help
// below them, and the points left to spend.
function DrawUpgradeTexts()
{
    local menu = upgradeScreens.menu
    local white = rgba8888(255, 255, 255, 255)
    DrawScreenPanel(kUpgradeLeft, kUpgradeTop, kUpgradeWidth, kUpgradeHeight,
                    "Upgrades: " + menu.UnSpentPoints + " points to spend")
    foreach (i, upgrade in kUpgrades)
    {
        local chosen = i == menu.CurrentlySelected
        local costs = ""
        foreach (cost in upgrade.costs)
            costs += (costs == "" ? "" : " ") + cost
        DrawLine(kUpgradeTextX, kUpgradeRowY[i], 300, upgrade.name + "  (level " + UpgradeLevel(i) + ")",
                 chosen ? rgba8888(255, 240, 160, 255) : white)
        DrawLine(kUpgradeTextX, kUpgradeRowY[i] + 22, 300, "costs " + costs, rgba8888(170, 200, 255, 255))
    }
    local help = kUpgrades[menu.CurrentlySelected].help
    DrawLine(kUpgradeLeft + 16, kUpgradeTop + kUpgradeHeight - 80, kUpgradeWidth - 32, help, white)
    DrawLine(kUpgradeLeft + 16, kUpgradeTop + kUpgradeHeight - 44, kUpgradeWidth - 32,
             "Up/Down choose, Right buys, Left gives back, Return confirms", rgba8888(170, 200, 255, 255))
}

function DrawUpgradeScreens()
{
    if (!("upgradeScreens" in getroottable()) || !keys.upgradesOpen)
        return
    if (upgradeScreens.upgrades)
    {
        DrawUpgradeTexts()
        upgradeScreens.menu.Render()
    }
    if (upgradeScreens.leaderboard)
    {
        local left = upgradeScreens.board.Menu.x - 20
        DrawScreenPanel(left, 150, 460, 400, "Leaderboard: rounds on this machine")
        upgradeScreens.board.Render()
    }
}

// ---- The M menu: the front end's screens ("frontend/screens.scn") over the
// running scene. Up and down move between the buttons, Return presses one,
// Escape or M (or the Resume button) closes it.

if (!("uiMenu" in getroottable()))
    ::uiMenu <- { input = InputMap(), keys = {} }

function StartMenu()
{
    uiMenu.input = InputMap()
    uiMenu.keys = {}
    foreach (name, key in { up = KEY_UP, down = KEY_DOWN, enter = KEY_RETURN })
    {
        local command = InputCommand()
        command.InputCommandType = INPUT_COMMAND_TYPE_KEY
        command.Data = key
        command.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN
        uiMenu.keys[name] <- uiMenu.input.AddInputCommand(command)
    }
}

function MenuKey(name)
{
    return uiMenu.input.GetIsInputCommandConditionExecuted(uiMenu.keys[name]) == 1
}

function OpenMenu()
{
    UIInterface_ChangeScreenByName("menu", true)
    UIInterface_Enable(true)
    keys.menuOpen = true
    ShowTitle("menu")
}

// Also the Resume button's function.
function CloseMenu()
{
    UIInterface_Enable(false)
    keys.menuOpen = false
    ShowTitle("playing")
}

function StepMenu()
{
    // The options screen opens from the menu's button by the screen file.
    local screen = UIInterface_GetCurrentScreenName()
    if (screen == "options" && demo.title.find("options") != 0)
        ShowOptionTexts()
    else if (screen == "menu" && demo.title != "menu")
        ShowTitle("menu")
    if (MenuKey("up"))
        UIInterface_TabBack()
    else if (MenuKey("down"))
        UIInterface_TabForward()
    else if (MenuKey("enter"))
        UIInterface_ClickInput()
}
